#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon::simkit {

// A simulator's command line as a table: one row per option, each saying what the option
// takes and where its value goes, so both programs read "--name value" and "--name=value"
// alike and word their complaints alike.
class OptionTable {
public:
    enum class Takes { Nothing, Number, Path, Text };

    // Stores what an option was given; returns a problem for a value it refuses.
    using Store =
        std::function<std::optional<std::string>(const std::string& text, long long number)>;

    struct Row {
        const char* name;
        Takes takes;
        long long min = 0;
        long long max = 0;
        Store store;
        // An option the other simulator has that this one cannot honour: named with its
        // reason instead of being waved through as unknown.
        const char* refusal = nullptr;
    };

    void Add(Row row) { rows_.push_back(std::move(row)); }

    // Stores that set a field and refuse nothing; the field must outlive the table.
    static Store Set(bool& flag);
    static Store Set(int& number);
    static Store Set(std::string& text);

    // Stores every option in turn; returns the first problem, if there is one.
    std::optional<std::string> Parse(const std::vector<std::string>& args) const;

private:
    const Row* Find(const std::string& name) const;
    // The value an option takes, from "--name=value" or the next argument.
    std::optional<std::string> TakeValue(const Row& row, const std::string& name,
                                         const std::vector<std::string>& args, std::size_t& i,
                                         std::optional<std::string> inlineValue,
                                         std::string& text) const;

    std::vector<Row> rows_;
};

} // namespace quillon::simkit
