// The "Trace Record" group: Record, Play, Load and Save, the progress of a recording, and the CSV
// export. It shows the recorder's state, asks the file questions and runs the file work; the
// recorder (in the session) records and plays.
#pragma once

#include "record/record_csv.h"
#include "record/record_file.h"
#include "record/record_view.h"

#include <QGroupBox>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tavrin {

class UserDialogs;
struct OperationFile;

class RecordGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Deps {
        UserDialogs &dialogs;
        const OperationFile &settings;  // recording time and interval, the unit
        std::function<bool()> acquiring;
        std::function<RecordTable()> record;      // the record made or loaded (filled entries)
        std::function<TraceRecord()> liveRecord;  // the trace on the screen, as a record
        std::function<std::vector<CsvHold>()> holds = {};  // the holds on, as the CSV file carries them
        std::function<std::time_t()> wallClock = [] { return std::time(nullptr); };
    };

    RecordGroup(Deps deps, QWidget *parent = nullptr);

    void Show(const RecordView &view);
    // The record in the table, or the live trace when there is none, as a CSV file; the holds
    // that are on follow as rows of their own. The save question offers the survey CSV too.
    void ExportCsv();

signals:
    void timedStartWanted(int32_t entries, int32_t periodMs, double seconds);
    // The record file is created (emptied) already.
    void continuousStartWanted(const std::string &path, int32_t periodMs);
    void startGivenUp();
    void stopWanted();
    void playWanted(int32_t periodMs);
    void playColourWanted();
    // A load ended: the table read (null when nothing was taken), or cancelled.
    void loadEnded(std::shared_ptr<tavrin::RecordTable> table, bool cancelled);
    void saved();
    void busy(bool on);

private:
    struct Controls {
        QPushButton *cmdRecord = nullptr;
        QPushButton *cmdPlayRecord = nullptr;
        QPushButton *cmdLoadRecord = nullptr;
        QPushButton *cmdSaveRecord = nullptr;
        QLabel *lblRecordProgress = nullptr;
        QProgressBar *barRecordProgress = nullptr;
    };

    void Build();
    void RecordClicked();
    void PlayClicked();
    void LoadClicked();
    void SaveClicked();
    void Loaded(const std::string &name);
    // The save question: a name to write, after the replace question; nothing on a cancel. With
    // several filters, which one was chosen goes to chosenFilter.
    std::optional<std::string> AskFileToWrite(const std::string &filter, const std::string &proposed,
                                              const std::string &suffix, size_t *chosenFilter = nullptr);
    // The traces as survey lines (rtl_power's layout), those at zero span left out with a note.
    void ExportSurvey(const std::string &name, RecordTable source);
    void RefuseStart(const std::string &why);
    void StartRecording();
    void ShowProgress();

    Deps d_;
    Controls ui_;
    QTimer *progressClock_ = nullptr;
    RecordView shown_;
    std::string lastFileName_;  // what the save form of the file dialog returned last
};

}  // namespace tavrin
