#include "actions/event_dispatcher.h"

#include "actions/event_names.h"
#include "actions/photo_event.h"

#include <QFile>
#include <QFileInfo>

namespace shutterhand {

namespace {

// Restores the nesting depth however a firing ends.
class DepthGuard {
public:
    explicit DepthGuard(int& depth)
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& m_depth;
};

}  // namespace

QString EventDispatcher::closeLogWindowBinding() const
{
    return m_host.dispatchConfig().Vars().GetValueByName(events::CloseLogWindow);
}

void EventDispatcher::FireEvent(const QString& eventVariable)
{
    const TSystemConfig& config = m_host.dispatchConfig();
    QString binding = config.Vars().GetValueByName(eventVariable);
    if (binding.isEmpty())
        return;  // not bound: nothing to log, nothing to run
    // Bindings written on Windows name subfolders with a backslash.
    binding.replace(u'\\', u'/');
    const QString path = config.Directorys().GetDirectoryByName(QStringLiteral("Events")) + binding;

    if (m_depth >= MaxNesting) {
        m_host.WriteLog(2,
                        QStringLiteral("%1 wird nicht ausgeführt: mehr als %2 Aktionen sind ineinander verschachtelt.")
                            .arg(QFileInfo(path).fileName())
                            .arg(MaxNesting));
        return;
    }
    DepthGuard guard(m_depth);
    RunEventCode(GetEventCode(path));
}

QString EventDispatcher::GetEventCode(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString fileLabel = slash < 0 ? path : path.mid(slash + 1);
    const bool quiet = fileLabel == closeLogWindowBinding();

    if (!QFileInfo(path).isFile()) {
        if (!quiet)
            m_host.WriteLog(2, fileLabel + QStringLiteral(" nicht gefunden."));
        return {};
    }
    if (!quiet)
        m_host.WriteLog(0, fileLabel + QStringLiteral(" wird ausgeführt."));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_host.WriteLog(2, QStringLiteral("%1 kann nicht gelesen werden: %2").arg(fileLabel, file.errorString()));
        return {};
    }
    TPhotoEvent action;
    const TPhotoEvent::ReadResult read = action.LoadFromBytes(file.readAll());
    if (!read.ok()) {
        m_host.WriteLog(2, QStringLiteral("%1 ist keine gültige Aktionsdatei (%2).").arg(fileLabel, read.error));
        return {};
    }
    return action.Code;
}

void EventDispatcher::RunEventCode(const QString& code)
{
    if (code.isEmpty())
        return;
    ActionRunner* runner = m_host.actionRunner();
    if (!runner)
        return;
    runner->runAction({code, m_host.currentDeviceName(), m_host.lastSavedFileName()});
    if (m_host.closeAfterAction())
        m_host.closeMainWindow();
}

}  // namespace shutterhand
