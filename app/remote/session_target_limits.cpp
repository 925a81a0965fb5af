// The session target's limit lines and tracking generator.
#include "common/program_folder.h"
#include "limits/limit_file.h"
#include "remote/session_target.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <thread>

namespace tavrin::remote {

RemoteLimit SessionTarget::Limit(int n) const
{
    const auto k = static_cast<size_t>(n - 1);
    const LimitLine &line = s_.Limits().Lines().at(k);
    RemoteLimit l{line.shown, line.selector == "NONE" ? "" : line.selector, LimitResult::None, {}};
    const std::optional<LimitVerdict> &v = s_.Limits().Verdicts().at(k);
    if (!LimitLineOn(line))
        l.reason = "the line is off";
    else if (!v)
        l.reason = "no trace taken yet";
    else if (v->outcome == LimitOutcome::None)
        l.reason = v->reason;
    else
        l.result = v->outcome == LimitOutcome::Pass ? LimitResult::Pass : LimitResult::Fail;
    return l;
}

void SessionTarget::SetLimitShown(int n, bool shown, Done done)
{
    s_.Limits().SetShown(static_cast<size_t>(n - 1), shown);
    done(Outcome::Ok());
}

void SessionTarget::SelectLimitFile(int n, const std::string &name, Done done)
{
    if (name.empty() || name.find('/') != std::string::npos || name.front() == '.') {
        done({-224, "a limit file is named by its name in the Working folder, without a folder"});
        return;
    }
    // Read off the event loop's thread: a file may hold a million points.
    const std::string path = JoinPath(WorkingFolder(), name + ".lim");
    QPointer<SessionTarget> self(this);
    std::thread([self, path, n, name, done = std::move(done)]() mutable {
        LimitFileResult file = ReadLimitFile(path);
        QMetaObject::invokeMethod(
            qApp ? static_cast<QObject *>(qApp) : nullptr,
            [self, file = std::move(file), n, name, done = std::move(done)]() mutable {
                if (!self)
                    return;
                if (!file.ok) {
                    done({-200, file.error});
                    return;
                }
                self->s_.Limits().SetFile(static_cast<size_t>(n - 1), name, std::move(file.points));
                done(Outcome::Ok());
            },
            Qt::QueuedConnection);
    }).detach();
}

RemoteGenerator SessionTarget::Generator() const
{
    const GeneratorControl &g = s_.Generator();
    return {g.Mode(), g.Output(), g.Level(), g.Offset()};
}

void SessionTarget::SetGeneratorMode(bool on, Done done)
{
    if (on == s_.Generator().Mode())
        done(Outcome::Ok());
    else
        s_.Generator().ToggleMode(Sent(std::move(done)));
}

void SessionTarget::SetGeneratorOutput(bool on, Done done)
{
    if (!s_.Generator().Mode())
        done({-221, "the output is switched in tracking generator mode only"});
    else if (on == s_.Generator().Output())
        done(Outcome::Ok());
    else
        s_.Generator().ToggleOutput(Sent(std::move(done)));
}

void SessionTarget::SetGeneratorLevel(int dbm, Done done)
{
    s_.Generator().EnterLevel(std::to_string(dbm));
    s_.Generator().SendSettings(Sent(std::move(done)));
}

void SessionTarget::SetGeneratorOffset(int khz, Done done)
{
    s_.Generator().EnterOffset(std::to_string(khz));
    s_.Generator().SendSettings(Sent(std::move(done)));
}

void SessionTarget::NormalizeGenerator(Done done)
{
    if (!s_.Generator().Output())
        done({-221, "normalizing needs the output on"});
    else
        s_.Generator().Normalize(Sent(std::move(done)));
}

}  // namespace tavrin::remote
