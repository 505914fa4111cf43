#include "client/core/TAlertReplay.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

TAlertReplay::TAlertReplay(TTickSource ticks)
    : ticks_(ticks)
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
}

QString TAlertReplay::Open(const QString &fileName)
{
    auto file = std::make_unique<QFile>(fileName);
    if (!file->open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read %1: %2").arg(fileName, file->errorString());
    // An empty file maps to nothing; one that cannot be mapped is read whole.
    const qint64 size = file->size();
    uchar *mapped = size > 0 ? file->map(0, size) : nullptr;
    if (size > 0 && !mapped) {
        Start(file->readAll());
        return QString();
    }
    Stop();
    file_ = std::move(file);
    text_ = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), mapped ? size : 0);
    Index();
    return QString();
}

void TAlertReplay::Start(const QByteArray &recording)
{
    Stop();
    text_ = recording;
    Index();
}

void TAlertReplay::Index()
{
    qint64 lastMs = 0;
    const char *const begin = text_.constData();
    const char *const end = begin + text_.size();
    for (const char *line = begin; line < end;) {
        const char *lineEnd = static_cast<const char *>(std::memchr(line, '\n', size_t(end - line)));
        if (!lineEnd)
            lineEnd = end;
        QByteArrayView view(line, lineEnd - line);
        line = lineEnd + 1;
        if (view.endsWith('\r'))
            view.chop(1);
        if (view.isEmpty())
            continue;
        TLine alert;
        if (!ReadRecordLine(view, lastMs, alert.AtMs, alert.EscapedBody)) {
            ++malformed_;
            continue;
        }
        lastMs = alert.AtMs;
        alerts_.push_back(alert);
    }
    active_ = true;
    paused_ = false;
    // The silence before the first alert is not waited through.
    Anchor(alerts_.empty() ? 0 : alerts_.front().AtMs);
    stateListeners_.Notify();
    Schedule();
}

void TAlertReplay::Stop()
{
    timer_.stop();
    alerts_.clear();
    alerts_.shrink_to_fit();
    text_.clear();
    file_.reset();
    next_ = 0;
    malformed_ = 0;
    if (std::exchange(active_, false))
        stateListeners_.Notify();
}

qint64 TAlertReplay::Position() const
{
    if (paused_)
        return anchorPosition_;
    // As fast as possible, the replay is always at the next alert.
    if (speed_ == Fastest)
        return Finished() ? (alerts_.empty() ? 0 : alerts_.back().AtMs) : alerts_[next_].AtMs;
    return anchorPosition_ + (SteadyNowMs() - anchorTime_) * speed_;
}

void TAlertReplay::Anchor(qint64 position)
{
    anchorPosition_ = position;
    anchorTime_ = SteadyNowMs();
}

void TAlertReplay::SetSpeed(int speed)
{
    if (speed == speed_ || speed < 0)
        return;
    const qint64 position = Position();
    speed_ = speed;
    if (!paused_)
        Anchor(position);
    stateListeners_.Notify();
    Schedule();
}

void TAlertReplay::Pause()
{
    if (!active_ || paused_)
        return;
    anchorPosition_ = Position();
    paused_ = true;
    timer_.stop();
    stateListeners_.Notify();
}

void TAlertReplay::Resume()
{
    if (!active_ || !paused_)
        return;
    paused_ = false;
    Anchor(anchorPosition_);
    stateListeners_.Notify();
    Schedule();
}

void TAlertReplay::Step()
{
    if (!active_)
        return;
    Pause();
    if (Finished())
        return;
    anchorPosition_ = alerts_[next_].AtMs;
    Play(1);
}

void TAlertReplay::Tick()
{
    if (!active_ || paused_)
        return;
    const qint64 position = speed_ == Fastest ? std::numeric_limits<qint64>::max() : Position();
    int due = 0;
    while (next_ + due < Count() && due < SliceSize && alerts_[next_ + due].AtMs <= position)
        ++due;
    if (due > 0)
        Play(due);
    Schedule();
}

void TAlertReplay::Play(int count)
{
    // A listener may stop the replay while it is being told.
    for (int i = 0; i < count && active_ && !Finished(); ++i)
        alertListeners_.Notify(UnescapeRecordBody(alerts_[next_++].EscapedBody));
    stateListeners_.Notify();
}

void TAlertReplay::Schedule()
{
    if (ticks_ != TTickSource::OwnTimer || !active_ || paused_ || Finished())
        return;
    const qint64 wait = speed_ == Fastest ? 0 : (alerts_[next_].AtMs - Position() + speed_ - 1) / speed_;
    // Checked at least once a second, so a long silence follows a change of speed.
    timer_.start(int(std::clamp<qint64>(wait, 0, 1000)));
}
