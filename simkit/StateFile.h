#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon::simkit {

// The adapter's non-volatile memory: the saved slave address in a small text file
// ("address 7E"), so it survives a restart of the simulator.
class StateFile {
public:
    enum class LoadStatus { Loaded, Missing, Malformed };
    struct LoadResult {
        LoadStatus status = LoadStatus::Missing;
        uint8_t address = 0;
        std::string error; // why a file was not usable
    };

    explicit StateFile(std::string path);

    const std::string& Path() const { return path_; }

    LoadResult Load() const;

    // Replaces the file in one step (temporary file, then rename), so a crash never
    // leaves a half-written address behind. Returns why it could not, if it could not.
    std::optional<std::string> Save(uint8_t address) const;

    // The file's text for an address, and the address a text holds.
    static std::string Format(uint8_t address);
    static std::optional<uint8_t> Parse(const std::string& text);

private:
    std::string path_;
};

} // namespace quillon::simkit
