// The boxes that say why the run stops before it installs: a manifest the
// rules or the keys refuse, and too little disk space. The rules word their
// refusals in English for the log and the operators' checker; the player
// reads the same refusal in the chosen language, with the same detail.
#pragma once

#include <cstdint>
#include <string>

void ShowRefusal(const std::string& refusal);
void ShowDiskSpaceRefusal(std::uint64_t needed, std::uint64_t free_bytes);
