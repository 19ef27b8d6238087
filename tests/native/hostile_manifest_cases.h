// Manifests that try to slip past the rules, with the refusal each must get:
// one table for the installer's rules and the operators' checker, so that
// the two never disagree. NUL and other control bytes stand in the texts as
// the network can deliver them.
#pragma once

#include <string>
#include <vector>

struct HostileManifest {
    const char* what;
    std::string text;
    std::string refusal;
};

inline std::vector<HostileManifest> HostileManifests()
{
    using namespace std::string_literals;
    const std::string files = "[URLS]\nSERVER_ADDR=files.example\n";
    const std::string hash = "sha256:" + std::string(64, 'a');
    return {
        // A NUL cuts a path where the system's functions read it.
        {"a NUL before a device's extension", files + "URL_1=games/aux\0.wav\n"s,
         "Unsafe path in manifest: games/aux\0.wav"s},
        {"a NUL after a device name", files + "URL_1=x/CON\0.txt\n"s, "Unsafe path in manifest: x/CON\0.txt"s},
        {"a NUL that makes the library an archive", files + "URL_1=x/Extract.dll\0.7z\n"s,
         "Unsafe path in manifest: x/Extract.dll\0.7z"s},
        {"a NUL in the hash piece", files + "URL_1=r.dll,," + hash + "\0x\n"s,
         "Unsafe path in manifest: r.dll,,"s + hash + "\0x"s},
        {"a control byte in a file name", files + "URL_1=games/r\x01.dll\n", "Unsafe path in manifest: games/r\x01.dll"},
        {"a tab in a sub-folder", files + "URL_1=games/r.dll,Sub\tdir\n", "Unsafe path in manifest: games/r.dll,Sub\tdir"},
        // A NUL cuts a registry name as well.
        {"a NUL that leaves a reserved key under the empty brand", "[REG]\nClasses\0/x=S:y\n"s,
         "Unsafe registry entry in manifest: Classes\0/x"s},
        {"a NUL in a sub-key under a brand", "[GENERAL]\nBRAND_NAME=Brand\n[REG]\nSub\0/x=S:y\n"s,
         "Unsafe registry entry in manifest: Sub\0/x"s},
        {"a control byte in a value name", "[REG]\nA\tB=S:x\n", "Unsafe registry entry in manifest: A\tB"},
        {"a NUL in a text", "[REG]\nA=S:a\0b\n"s, "Unsafe registry entry in manifest: A"},
        {"a NUL in a number", "[REG]\nA=D:1\0\n"s, "Unsafe registry entry in manifest: A"},
        {"a tab in a text is a text", "[REG]\nA=S:a\tb\n", ""},
        // And a host.
        {"a NUL in SERVER_ADDR", "[URLS]\nSERVER_ADDR=files.example\0evil\nURL_1=r.dll\n"s,
         "Unsafe host in manifest: files.example\0evil"s},
        {"a control byte in SERVER_SCHEME", "[URLS]\nSERVER_SCHEME=https\x01\n", "Unsafe host in manifest: https\x01"},
        {"a NUL in a mirror", "[URLS]\nSERVER_MIRRORS=a.example,b\0.example\n"s,
         "Unsafe host in manifest: a.example,b\0.example"s},
        // Folders of the system and of other products.
        {"the system's Common Files", "[GENERAL]\nBRAND_NAME=common files\n",
         "Unsafe brand name in manifest: common files"},
        {"the system's Windows NT", "[GENERAL]\nBRAND_NAME=Windows NT\n", "Unsafe brand name in manifest: Windows NT"},
        {"a name beginning with Microsoft", "[GENERAL]\nBRAND_NAME=Microsoft Games\n",
         "Unsafe brand name in manifest: Microsoft Games"},
        {"an 8.3 short name", "[GENERAL]\nBRAND_NAME=PROGRA~1\n", "Unsafe brand name in manifest: PROGRA~1"},
        {"a tilde without a digit is a name", "[GENERAL]\nBRAND_NAME=Casino~Royal\n", ""},
        // Without the system's conversion, any byte above 0x7F after COM or
        // LPT may be a digit in some code page.
        {"a Korean superscript one after COM", files + "URL_1=x/COM\xA9\xF6.wav\n",
         "Unsafe path in manifest: x/COM\xA9\xF6.wav"},
        {"a high byte after LPT", "[GENERAL]\nBRAND_NAME=LPT\xB9\n", "Unsafe brand name in manifest: LPT\xB9"},
        {"a letter after COM is a name", files + "URL_1=x/COMa.wav\n", ""},
        // A path that ends in a separator names the folder itself.
        {"an empty file name", files + "URL_1=games/\n", "Unsafe path in manifest: games/"},
        // Shift-JIS: the second byte of a character may be a backslash.
        {"a Japanese name with a backslash byte", files + "URL_1=games/\x95\x5C\x8E\xA6.txt\n", ""},
    };
}
