// The manual (an HTML file shipped with the program) in a help window of its own.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

class QTextBrowser;

namespace tavrin {

inline constexpr const char *kManualFile = "manual.html";

// Where the manual may be, in order: beside the executable (a build tree), then the installed
// share folder beside its bin folder.
std::vector<std::string> ManualCandidates(const std::string &executableFolder);
// The first candidate that exists; empty when none does.
std::string FindManual(const std::string &executableFolder);

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const std::string &manualPath, QWidget *parent = nullptr);
    // Shows the manual at a section ("panel", "settings"...; empty: the top).
    void OpenAt(const std::string &anchor);
    QTextBrowser *Browser() const { return browser_; }

private:
    std::string path_;
    QTextBrowser *browser_ = nullptr;
};

}  // namespace tavrin
