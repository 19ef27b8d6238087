#include "operator/manifest_signer.h"

#include "operator/parse_record.h"

#include <algorithm>
#include <vector>

namespace {

// One change of the text: `length` bytes at `at` become `text`.
struct Edit {
    size_t at;
    size_t length;
    std::string text;
};


// The manifest's own line ending: that of its first line, LF without one.
std::string LineEnding(const std::string& text)
{
    const size_t first_break = text.find('\n');
    return first_break != std::string::npos && first_break > 0 && text[first_break - 1] == '\r' ? "\r\n" : "\n";
}

// Where each line starts, by line number less one.
std::vector<size_t> LineStarts(const std::string& text)
{
    std::vector<size_t> starts{0};
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
        starts.push_back(at + 1);
    return starts;
}

class Signing {
public:
    Signing(const std::string& body) : ms_body(body), ms_ending(LineEnding(body)), m_starts(LineStarts(body))
    {
        m_record.Parse(body, m_manifest);
    }

    // Sets `key` to `wanted`, or keeps the manifest's value when `wanted` is
    // empty; false when the value it would have is not valid.
    bool SetKey(const std::string& key, const std::string& wanted, bool (*valid)(const std::string&),
                std::string& error)
    {
        const std::string present = m_manifest.GetValue("GENERAL", key);
        const std::string& value = wanted.empty() ? present : wanted;
        if (!valid(value)) {
            error = !wanted.empty()   ? "malformed " + key + ": " + wanted
                  : present.empty()   ? "no " + key + " in the manifest and none given"
                                      : "the manifest's " + key + " is malformed: " + present;
            return false;
        }
        if (present.empty()) {
            ms_inserted += key + "=" + value + ms_ending;
        } else if (value != present) {
            const size_t line_at = m_starts[m_record.LineOf("GENERAL", key) - 1];
            const std::string raw = ms_body.substr(line_at, ms_body.find('\n', line_at) - line_at);
            m_edits.push_back({line_at + ParseRecord::ValueOffset(raw, key), present.size(), value});
        }
        return true;
    }

    // The body with its keys set: values replaced from the end, so that
    // earlier offsets hold, then the new keys after the [GENERAL] header,
    // which comes before every value it holds.
    std::string Result() const
    {
        std::string text = ms_body;
        std::vector<Edit> edits = m_edits;
        std::sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at > b.at; });
        for (const Edit& edit : edits)
            text.replace(edit.at, edit.length, edit.text);
        if (!ms_inserted.empty())
            InsertKeys(text);
        if (!text.empty() && text.back() != '\n')
            text += ms_ending;
        return text;
    }

    const std::string& Ending() const { return ms_ending; }

private:
    void InsertKeys(std::string& text) const
    {
        const auto header = std::find_if(m_record.m_sections.begin(), m_record.m_sections.end(),
                                         [](const ParseRecord::Line& line) { return line.section == "GENERAL"; });
        if (header == m_record.m_sections.end()) {
            const std::string separator = text.empty() || text.back() == '\n' ? "" : ms_ending;
            text += separator + "[GENERAL]" + ms_ending + ms_inserted;
        } else if (static_cast<size_t>(header->number) < m_starts.size()) {
            text.insert(m_starts[header->number], ms_inserted);
        } else {
            // The header is the last line, without a line break of its own.
            text += ms_ending + ms_inserted;
        }
    }

    const std::string& ms_body;
    const std::string ms_ending;
    const std::vector<size_t> m_starts;
    IniFile m_manifest;
    ParseRecord m_record;
    std::vector<Edit> m_edits;
    std::string ms_inserted;
};

} // namespace

bool SignManifest(const std::string& text, const Freshness& freshness, const Signer& sign, std::string& output,
                  std::string& error)
{
    const size_t old_signature = SignatureLineStart(text);
    const std::string body = text.substr(0, old_signature);
    Signing signing(body);
    if (!signing.SetKey("MANIFEST_SERIAL", freshness.serial, IsSerial, error)
        || !signing.SetKey("MANIFEST_EXPIRES", freshness.expires, IsDate, error))
        return false;
    const std::string covered = signing.Result();
    std::string signature;
    if (!sign(covered, signature)) {
        error = "the signature failed";
        return false;
    }
    output = covered + kSignaturePrefix + EncodeBase64(signature) + signing.Ending();
    return true;
}
