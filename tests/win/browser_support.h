// The test browser of tests/browser, installed in a test's folder and watched through its log.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

#include "main_window_fixture.h"
#include "store/document.h"

namespace perchlet::testing {

class TestBrowsers {
public:
    // folder: Shift-JIS path of the test's own folder; the log goes there.
    explicit TestBrowsers(std::string folder);
    ~TestBrowsers();

    // Copies the test browser in as <name>.exe (into subfolder when given) and returns its path.
    std::string install(const std::string& name, const std::string& subfolder = "");
    // The [Browser] lines besides Log= (e.g. "DdeBlock=1\r\n").
    void configure(const std::string& extraLines);
    // Starts an installed browser as the user would have, and waits for its window.
    DWORD start(const std::string& path, const std::string& address);

    std::vector<std::string> lines() const;
    // Events logged since the mark, without their pid.
    std::vector<std::string> eventsSince(std::size_t mark) const;
    std::size_t mark() const { return lines().size(); }
    // Pumps messages until an event line starting with prefix is logged after the mark.
    bool waitFor(const std::string& prefix, std::size_t mark, DWORD maxMs = 30000) const;
    // Ends every browser process the log names.
    void endAll();

    const std::string& logPath() const { return log_; }

private:
    std::string folder_;
    std::string log_;
};

// The real main window with a root holding a folder and a link, and test browsers at hand.
class BrowserTest : public MainWindowTest {
protected:
    NodeId root = kNoNode, folderNode = kNoNode, link = kNoNode;
    std::unique_ptr<TestBrowsers> browsers;

    void SetUp() override;
    void TearDown() override;
};

// Finds a top-level window of this process whose title starts with the text, or nullptr.
HWND findOwnWindow(const std::wstring& titlePrefix);

}  // namespace perchlet::testing
