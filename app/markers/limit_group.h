// The "Limit" group: two limit lines, each switched on by its check box, read from the limit
// file chosen in its selector and judged as an upper or a lower limit; what a failure sets off
// (a beep, a capture, a line in the failure log) and the counters of judged and failed traces.
// It also makes limit files: from the trace on the screen, from a CSV file, and as CSV files.
#pragma once

#include "markers/limit_lines.h"
#include "markers/limit_watch.h"
#include "settings/program_settings.h"

#include <QGroupBox>
#include <array>
#include <ctime>
#include <functional>
#include <string>

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
        std::function<const LiveTrace *()> readTrace;  // the trace the markers read; null while none is shown
        std::function<void()> beep;
        std::function<double()> seconds;  // a steady clock
    };

    LimitGroup(Deps deps, QWidget *parent = nullptr);

    // Start-up: one empty entry per line.
    void Load() { limits_ = InitialLimitLines(); }
    // Lists the limit files of the Working folder in both selectors.
    void RefreshLimitSelector();
    // The saved kinds of the lines and what a failure sets off.
    void Restore(const LimitSettings &saved);
    LimitSettings Saved() const;

    // The lines as the screen reads them, taken from the controls.
    const LimitLines &View() const;
    LimitCount Count(size_t line) const { return watch_.Count(line); }

    // One new trace's verdicts (none for a line not judged) at its time: the counters, the beep
    // and the failure log follow; true when the screen should be captured once it is drawn.
    bool Judged(const std::array<std::optional<LimitVerdict>, 2> &verdicts, std::time_t time);
    // The capture of a failure could not be saved: said once, and captures switched off.
    void CaptureFailed(const std::string &why);

    // The File menu's entries: a limit file made from the trace the markers read, one read from a
    // CSV file, and a limit file written as a CSV file.
    void NewFromTrace();
    void ImportCsv();
    void ExportCsv();

signals:
    void redrawNeeded();

private:
    void LimitChosen(int line);
    // The file name (without ".lim") the line's selector shows, as bytes.
    std::string ChosenName(size_t line) const;
    // Both selectors list the Working folder again and keep their choice; a line showing `made`
    // takes its new points.
    void Relist(const std::string &made, const std::vector<LimitPoint> &points);
    // Writes a made limit file under the typed name, once the name is fit and a file of that name
    // may be replaced.
    void SaveMade(const std::string &typed, const std::vector<LimitPoint> &points);
    LimitAlarms Alarms() const;
    void Restart(size_t line);

    Deps d_;
    std::array<QCheckBox *, 2> chkLim_{};
    std::array<QComboBox *, 2> cboLim_{};
    std::array<QComboBox *, 2> cboKind_{};
    QCheckBox *chkBeep_ = nullptr, *chkCapture_ = nullptr, *chkLog_ = nullptr;
    mutable LimitLines limits_ = InitialLimitLines();
    LimitWatch watch_;
};

}  // namespace tavrin
