// The settings reader: inifile.ini text, looked up as the profile functions look it up,
// read in the program's order; and the rules for single values.
#include <map>

#include "fuzz_support.h"
#include "settings/settings.h"
#include "store/plain_text.h"

using namespace perchlet;
using namespace perchlet::fuzz;

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The settings file as GetPrivateProfileString reads it: sections and keys in any case,
// the first key of a name wins, values trimmed.
class IniText : public StartupEnvironment {
public:
    explicit IniText(std::string_view text) {
        std::string section;
        while (!text.empty()) {
            std::size_t end = text.find('\n');
            std::string_view line = trimmed(text.substr(0, end));
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
            if (!line.empty() && line.front() == '[') {
                section = lowered(line.substr(1, line.find(']') == std::string_view::npos ? line.npos : line.find(']') - 1));
                continue;
            }
            std::size_t equals = line.find('=');
            if (equals == std::string_view::npos) continue;
            values_.emplace(section + '\n' + lowered(trimmed(line.substr(0, equals))),
                            std::string(trimmed(line.substr(equals + 1))));
        }
    }

    std::optional<std::string> profileValue(const char* section, const char* key) override {
        auto found = values_.find(lowered(section) + '\n' + lowered(key));
        if (found == values_.end()) return std::nullopt;
        return found->second.substr(0, 255);
    }
    ScreenRect workArea() override { return {0, 0, 1024, 768}; }
    void loadStartupDataFile(const Settings& settings) override {
        StartupDataFile file = startupDataFile(settings.dataPath, "C:\\start");
        check(!file.fileName.empty() || settings.dataPath.size() >= 2);
        baseNameOf(file.filePath);
    }
    std::string defaultBrowserCommand() override {
        std::optional<std::string> command = profileValue("Test", "Command");
        return command.value_or("");
    }
    void placeMainWindow(int, int, int, int, bool) override {}

private:
    std::map<std::string, std::string> values_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text = textOf(data, size);
    IniText ini(text);
    Settings settings;
    if (readStartupSettings(settings, ini)) {
        for (const std::string& path : settings.browserPath) check(path.size() <= 255);
        check(settings.dataPath.size() <= 255);
    }
    std::string value(text.substr(0, 300));
    settingNumber(value);
    sizeFromSetting(value, value, 1024);
    sizeFromSetting("MAX", value, -1);
    check(browserPathFromCommand(value).size() <= value.size());
    return 0;
}
