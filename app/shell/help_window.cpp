#include "shell/help_window.h"

#include "common/program_folder.h"

#include <QPushButton>
#include <QTextBrowser>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <sys/stat.h>

namespace tavrin {

std::vector<std::string> ManualCandidates(const std::string &executableFolder)
{
    return {JoinPath(executableFolder, kManualFile),
            JoinPath(executableFolder, std::string("../share/tavrinremote/") + kManualFile)};
}

std::string FindManual(const std::string &executableFolder)
{
    for (const std::string &path : ManualCandidates(executableFolder)) {
        struct stat st;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            return path;
    }
    return {};
}

HelpWindow::HelpWindow(const std::string &manualPath, QWidget *parent)
    : QWidget(parent, Qt::Window), path_(manualPath)
{
    setObjectName("frmHelp");
    setWindowTitle("TavrinRemote Help");
    auto *layout = new QVBoxLayout(this);
    auto *buttons = new QHBoxLayout;
    auto *contents = new QPushButton("Contents", this);
    auto *back = new QPushButton("Back", this);
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("Manual");
    browser_->setAccessibleName("Manual");
    browser_->setOpenExternalLinks(true);
    layout->addWidget(browser_);
    connect(contents, &QPushButton::clicked, this, [this] { OpenAt("contents"); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    resize(760, 640);
}

void HelpWindow::OpenAt(const std::string &anchor)
{
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(path_));
    if (!anchor.empty())
        url.setFragment(QString::fromStdString(anchor));
    browser_->setSource(url);
}

}  // namespace tavrin
