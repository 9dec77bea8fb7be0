#pragma once

#include <string>
#include <vector>

namespace quillon::app {

// What the panel does with its command line before the toolkit starts: it answers --help
// and --version (so both work without a display, e.g. over ssh), leaves the toolkit's own
// options to the application object (a session manager restarts the program with -session,
// a user may pick -style or -platform), and refuses anything else with one line.
class PanelCommandLine {
public:
    enum class Action {
        Run,  // start the window; the arguments go on to the application object
        Exit, // print Text on Stream and end with Status
    };
    enum class Stream { Out, Err };

    // The usage error status of the BSD sysexits convention, as the command-line tool uses.
    static constexpr int kStatusUsage = 64;
    static constexpr int kStatusSuccess = 0;

    struct Outcome {
        Action action = Action::Run;
        int status = kStatusSuccess;
        Stream stream = Stream::Out;
        std::string text;
    };

    // args without the program name.
    static Outcome Parse(const std::vector<std::string>& args);

    static std::string HelpText();
    static std::string VersionText();
};

} // namespace quillon::app
