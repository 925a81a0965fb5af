// The "Limit" group: two limit lines, each switched on by its check box, read from the limit
// file chosen in its selector and judged as an upper or a lower limit; what a failure sets off
// (a beep, a capture, a line in the failure log) and Clear of the counters. It shows the lines
// the session holds and says what the user chose; choosing a file reads it first. It also makes
// limit files: from the trace on the screen, from a CSV file, and as CSV files.
#pragma once

#include "limits/limit_lines.h"
#include "limits/limit_watch.h"

#include <QGroupBox>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;

namespace tavrin {

class UserDialogs;

class LimitGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Deps {
        UserDialogs &dialogs;
        std::function<const MeasurementState &()> state;
        std::function<const TracePoints *()> readTrace;  // the trace the markers read; null while none is shown
    };

    LimitGroup(Deps deps, QWidget *parent = nullptr);

    // Lists the limit files of the Working folder in both selectors.
    void RefreshLimitSelector();
    void Show(const LimitLines &lines, const LimitAlarms &alarms);

    // The File menu's entries: a limit file made from the trace the markers read, one read from a
    // CSV file, and a limit file written as a CSV file.
    void NewFromTrace();
    void ImportCsv();
    void ExportCsv();

signals:
    void switched(size_t line, bool on);
    // A limit file was chosen and read ("NONE": no file, no points).
    void fileChosen(size_t line, const std::string &name, const std::vector<tavrin::LimitPoint> &points);
    void kindChosen(size_t line, tavrin::LimitKind kind);
    void alarmsChosen(const tavrin::LimitAlarms &alarms);
    void clearClicked();
    // A limit file was made or replaced in the Working folder.
    void fileMade(const std::string &name, const std::vector<tavrin::LimitPoint> &points);

private:
    void LimitChosen(int line);
    // The file name (without ".lim") the line's selector shows, as bytes.
    std::string ChosenName(size_t line) const;
    void Select(size_t line, const std::string &name);
    // Both selectors list the Working folder again and keep their choice.
    void Relist();
    // Writes a made limit file under the typed name, once the name is fit and a file of that name
    // may be replaced.
    void SaveMade(const std::string &typed, const std::vector<LimitPoint> &points);

    Deps d_;
    std::array<QCheckBox *, 2> chkLim_{};
    std::array<QComboBox *, 2> cboLim_{};
    std::array<QComboBox *, 2> cboKind_{};
    QCheckBox *chkBeep_ = nullptr, *chkCapture_ = nullptr, *chkLog_ = nullptr;
    std::array<std::string, 2> shownFile_{"NONE", "NONE"};
    LimitAlarms shownAlarms_;  // as shown last: a click changes one of them
};

}  // namespace tavrin
