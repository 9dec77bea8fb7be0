#include "OptionTable.h"

#include <charconv>

namespace quillon::simkit {

namespace {

bool ParseNumber(const std::string& text, long long min, long long max, long long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= min && value <= max;
}

} // namespace

OptionTable::Store OptionTable::Set(bool& flag) {
    return [&flag](const std::string&, long long) -> std::optional<std::string> {
        flag = true;
        return std::nullopt;
    };
}

OptionTable::Store OptionTable::Set(int& number) {
    // Every row that stores into an int caps its range within an int.
    return [&number](const std::string&, long long value) -> std::optional<std::string> {
        number = static_cast<int>(value);
        return std::nullopt;
    };
}

OptionTable::Store OptionTable::Set(std::string& text) {
    return [&text](const std::string& value, long long) -> std::optional<std::string> {
        text = value;
        return std::nullopt;
    };
}

const OptionTable::Row* OptionTable::Find(const std::string& name) const {
    for (const Row& row : rows_) {
        if (name == row.name) {
            return &row;
        }
    }
    return nullptr;
}

std::optional<std::string> OptionTable::TakeValue(const Row& row, const std::string& name,
                                                  const std::vector<std::string>& args,
                                                  std::size_t& i,
                                                  std::optional<std::string> inlineValue,
                                                  std::string& text) const {
    if (row.takes == Takes::Nothing) {
        if (inlineValue) {
            return name + " takes no value";
        }
        return std::nullopt;
    }
    if (inlineValue) {
        text = *inlineValue;
    } else if (i + 1 < args.size()) {
        text = args[++i];
    } else {
        return name + " needs a value";
    }
    if (row.takes == Takes::Path && text.empty()) {
        return name + ": empty path";
    }
    return std::nullopt;
}

std::optional<std::string> OptionTable::Parse(const std::vector<std::string>& args) const {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const Row* row = Find(name);
        if (row == nullptr) {
            return "unknown option '" + args[i] + "'";
        }
        if (row->refusal != nullptr) {
            return name + ": " + row->refusal;
        }
        std::string text;
        if (auto problem = TakeValue(*row, name, args, i, std::move(inlineValue), text)) {
            return problem;
        }
        long long number = 0;
        if (row->takes == Takes::Number && !ParseNumber(text, row->min, row->max, number)) {
            return name + ": '" + text + "' is not a number in " + std::to_string(row->min) + ".." +
                   std::to_string(row->max);
        }
        if (auto problem = row->store(text, number)) {
            return problem;
        }
    }
    return std::nullopt;
}

} // namespace quillon::simkit
