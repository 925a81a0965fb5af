#include "shell/publish_form.h"

#include "common/dialogs.h"
#include "common/number_format.h"
#include "common/text_number.h"
#include "publish/publish_config.h"
#include "shell/publishing.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <optional>
#include <string>
#include <vector>

namespace tavrin {

namespace {

constexpr char kTitle[] = "Publish";
constexpr char kOff[] = "Off";
constexpr char kOn[] = "On";
constexpr char kQos0[] = "0: at most once";
constexpr char kQos1[] = "1: at least once, kept while the broker is away";
enum Field { kSwitch, kUrl, kPrefix, kQos, kUser, kPasswordFile, kCaFile, kInterval, kFields };

std::vector<FormField> FormOf(const PublishSettings &s)
{
    std::vector<FormField> fields(kFields);
    fields[kSwitch] = {"Publish", s.on ? kOn : kOff, {kOff, kOn}};
    fields[kUrl] = {"Broker URL (mqtt:// or mqtts://)", s.brokerUrl, {}};
    fields[kPrefix] = {"Topic prefix", TopicPrefixOf(s), {}};
    fields[kQos] = {"QoS", s.qos ? kQos1 : kQos0, {kQos0, kQos1}};
    fields[kUser] = {"User name", s.user, {}};
    fields[kPasswordFile] = {"Password file (its first line)", s.passwordFile, {}};
    fields[kCaFile] = {"CA file (mqtts://)", s.caFile, {}};
    fields[kInterval] = {"Interval in seconds (0: every trace)", PlainDecimal(s.intervalSeconds), {}};
    return fields;
}

// The answers as settings; an interval that is no number keeps the one before and says so.
PublishSettings ReadForm(const std::vector<std::string> &a, const PublishSettings &before, std::string &why)
{
    PublishSettings s = before;
    s.on = a[kSwitch] == kOn;
    s.brokerUrl = TrimSpaces(a[kUrl]);
    // The default prefix is kept as none, so that the file names this computer's host wherever it goes.
    const std::string prefix = TrimSpaces(a[kPrefix]);
    s.topicPrefix = prefix == DefaultTopicPrefix() ? "" : prefix;
    s.qos = a[kQos] == kQos1 ? 1 : 0;
    s.user = TrimSpaces(a[kUser]);
    s.passwordFile = TrimSpaces(a[kPasswordFile]);
    s.caFile = TrimSpaces(a[kCaFile]);
    const std::string interval = TrimSpaces(a[kInterval]);
    const std::optional<double> seconds = interval.empty() ? std::optional(0.0) : WholeNumber(interval);
    if (seconds && *seconds >= 0 && *seconds <= kMostPublishIntervalSeconds)
        s.intervalSeconds = *seconds;
    else
        why = "The interval is a number of seconds from 0 (every trace) to " + PlainDecimal(kMostPublishIntervalSeconds) +
              ", not \"" + interval + "\".";
    return s;
}

// Asks until the settings are applied or the form is cancelled; each refusal says what to change
// and shows the form again as the user left it.
void AskAndApply(Publishing &publishing, UserDialogs &dialogs, PublishSettings &record)
{
    PublishSettings shown = record;
    for (;;) {
        const std::optional<std::vector<std::string>> answers = dialogs.AskForm(kTitle, FormOf(shown));
        if (!answers || answers->size() != kFields)
            return;
        std::string why;
        shown = ReadForm(*answers, shown, why);
        if (why.empty())
            why = publishing.Apply(shown);
        if (why.empty()) {
            record = shown;
            return;
        }
        dialogs.ShowMessage(kTitle, why);
    }
}

}  // namespace

void AddPublishing(QMenu &settingMenu, QStatusBar &bar, Publishing &publishing, UserDialogs &dialogs,
                   std::function<PublishSettings &()> record)
{
    auto *label = new QLabel(&bar);
    label->setObjectName("lblPublishing");
    label->setAccessibleName("Publishing");
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar.addPermanentWidget(label);
    auto show = [label](const QString &text) {
        label->setText(text);
        // A screen reader reads the description when the text changes.
        label->setAccessibleDescription(text);
        label->setVisible(!text.isEmpty());
    };
    show(publishing.Text());
    QObject::connect(&publishing, &Publishing::textChanged, label, show);

    QAction *entry = settingMenu.addAction("&Publish...");
    entry->setObjectName("mnuPublish");
    QObject::connect(entry, &QAction::triggered, &publishing,
                     [&publishing, &dialogs, record = std::move(record)] { AskAndApply(publishing, dialogs, record()); });
}

}  // namespace tavrin
