#include "client/ui/windows/TMiscDebugWindow.h"

#include "shared/DebugSink.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int FlushIntervalMs = 250;

} // namespace

TMiscDebugWindow::TMiscDebugWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("MiscDebugWindow"));
    setWindowTitle(QStringLiteral("Kestrova Debug Window"));
    // The log must not keep the program running once the main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    resize(1142, 656);

    memo1_ = new QPlainTextEdit(this);
    memo1_->setObjectName(QStringLiteral("Memo1"));
    memo1_->setReadOnly(true);
    memo1_->setMaximumBlockCount(MostLines);
    memo1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo1_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo1_);

    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(FlushIntervalMs);
    connect(&timer1_, &QTimer::timeout, this, &TMiscDebugWindow::Timer1Timer);
}

void TMiscDebugWindow::AddText(const QString &text)
{
    if (!flushArmed_) {
        flushArmed_ = true;
        timer1_.start();
    }
    pendingLines_.append(text);
    // A flood between two flushes keeps only what the log could show; trimmed in
    // batches so that each report costs the same.
    if (pendingLines_.size() >= 2 * MostLines)
        pendingLines_.erase(pendingLines_.begin(), pendingLines_.end() - MostLines);
    show();
}

void TMiscDebugWindow::Timer1Timer()
{
    flushArmed_ = false;
    timer1_.stop();
    // Each report becomes its own line: the editor breaks the text at every CR LF.
    const qsizetype dropped = std::max<qsizetype>(0, pendingLines_.size() - MostLines);
    memo1_->appendPlainText(QStringList(pendingLines_.mid(dropped)).join(QStringLiteral("\r\n")));
    pendingLines_.clear();
}

void TMiscDebugWindow::closeEvent(QCloseEvent *event)
{
    // Hidden first, so the change of state is only remembered for the next show.
    hide();
    setWindowState(windowState() | Qt::WindowMinimized);
    event->accept();
}

TDebugWindowRoute::TDebugWindowRoute()
    : previous_(SetDebugReceiver([this](const QString &text) {
        if (!window_)
            window_ = std::make_unique<TMiscDebugWindow>();
        window_->AddText(text);
    }))
{
}

TDebugWindowRoute::~TDebugWindowRoute()
{
    SetDebugReceiver(std::move(previous_));
}
