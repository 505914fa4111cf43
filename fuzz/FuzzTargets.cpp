#include "FuzzTargets.h"

#include "FuzzSupport.h"
#include "SessionFuzzTarget.h"
#include "TAlertJsonWriter.h"

#include "client/core/TSortedSymbolList.h"
#include "client/core/TWindowList.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TBandSetKind.h"
#include "client/core/kinds/TopListKinds.h"
#include "net/ESocketException.h"
#include "net/TSocksHandshake.h"
#include "shared/EZLibError.h"
#include "shared/DisplayText.h"
#include "shared/TIniFile.h"
#include "shared/TZLibDecompressor.h"
#include "shared/UrlEncode.h"
#include "shared/WireFormat.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// --- Frames and requests: what is cut re-encodes to exactly the bytes it used, and
// --- cutting as the bytes trickle in gives what cutting them at once gives.

// The session's way: append each read, cut, keep the incomplete tail. What all the
// reads cut, and the status of the last cut.
template <typename TCut, typename TItems>
TCut CutAsReadsArrive(const QByteArray &data, TCut (*cutBytes)(const QByteArray &), TItems TCut::*items)
{
    TCut whole;
    QByteArray buffer;
    for (const QByteArray &piece : TSplitter(SeedOf(data)).Split(data)) {
        buffer += piece;
        const TCut part = cutBytes(buffer);
        whole.*items += part.*items;
        buffer.remove(0, part.BytesUsed);
        whole.Status = part.Status;
        if (whole.Status == csInvalidData)
            break;
    }
    return whole;
}

void FuzzFrames(const QByteArray &data)
{
    const TFrameCut cut = CutFrames(data);
    Check(cut.BytesUsed >= 0 && cut.BytesUsed <= data.size(), "frames: bytes used in range");
    QByteArray encoded;
    for (const TServerFrame &frame : cut.Frames)
        encoded += EncodeFrame(frame.MessageId, frame.Body);
    Check(encoded == data.left(cut.BytesUsed), "frames: frames re-encode to the bytes used");
    if (cut.Status == csGood)
        Check(CutFrames(data.mid(cut.BytesUsed)).Frames.isEmpty(), "frames: the tail is incomplete");

    const TFrameCut split = CutAsReadsArrive(data, &CutFrames, &TFrameCut::Frames);
    const QVector<TServerFrame> &frames = split.Frames;
    Check(split.Status == cut.Status, "frames: split reads find the same fault");
    Check(frames.size() == cut.Frames.size(), "frames: split reads cut as many frames");
    for (int i = 0; i < frames.size(); ++i)
        Check(frames[i].MessageId == cut.Frames[i].MessageId && frames[i].Body == cut.Frames[i].Body,
              "frames: split reads cut the same frames");
}

void FuzzRequests(const QByteArray &data)
{
    const TRequestCut cut = CutRequests(data);
    Check(cut.BytesUsed >= 0 && cut.BytesUsed <= data.size(), "requests: bytes used in range");
    QByteArray encoded;
    for (const TMessageToServer &request : cut.Requests)
        encoded += EncodeRequest(request, 0);
    Check(encoded == data.left(cut.BytesUsed), "requests: requests re-encode to the bytes used");

    const TRequestCut split = CutAsReadsArrive(data, &CutRequests, &TRequestCut::Requests);
    Check(split.Status == cut.Status, "requests: split reads find the same fault");
    Check(split.Requests == cut.Requests, "requests: split reads cut the same requests");
}

// --- The decompressor: the first byte picks the split, the rest is the server's
// --- stream. Reads split anywhere inflate as one read does, up to the first fault.

struct TInflated
{
    QByteArray Output;
    bool Failed = false;
};

TInflated Inflate(const QVector<QByteArray> &reads)
{
    TInflated result;
    TZLibDecompressor decompressor;
    for (const QByteArray &read : reads) {
        try {
            decompressor.Decompress(read);
        } catch (const EZDecompressionError &) {
            Check(!result.Failed, "inflate: a dead stream raises no second error");
            result.Failed = true;
        }
    }
    if (result.Failed) {
        // A dead stream takes more input silently and gives nothing.
        const qsizetype before = decompressor.Output().size();
        decompressor.Decompress(QByteArrayLiteral("\x78\x9c more"));
        Check(decompressor.Output().size() == before, "inflate: a dead stream stays silent");
    }
    result.Output = decompressor.Output();
    return result;
}

void FuzzInflate(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    const QByteArray stream = data.mid(1);
    const TInflated whole = Inflate({stream});
    const TInflated split = Inflate(TSplitter(SeedOf(data)).Split(stream));
    Check(whole.Failed == split.Failed, "inflate: split reads fail as one read does");
    if (!whole.Failed) {
        Check(whole.Output == split.Output, "inflate: split reads inflate to the same bytes");
    } else {
        // Each read that fails loses what its last pass produced, so on a fault the
        // two only agree as far as the shorter got.
        const qsizetype common = qMin(whole.Output.size(), split.Output.size());
        Check(whole.Output.left(common) == split.Output.left(common),
              "inflate: split reads agree up to the fault");
    }
}

// --- Alert bodies: the input is several bodies separated by NUL bytes, each handed
// --- to a window of every kind subscribed to "C". Whatever the bodies say, the list
// --- rules hold.

const QByteArray FuzzCategory = "C";

template <typename Kind>
const Kind &As(const TAlertKind &kind)
{
    return static_cast<const Kind &>(kind);
}

// A window of every kind, by its display setting, with the rules its list keeps.
struct TFuzzedKind
{
    const char *Display;
    void (*CheckList)(const TAlertKind &kind, const TSortedSymbolList &exclude);
};

const TFuzzedKind FuzzedKinds[] = {
    {"", [](const TAlertKind &kind, const TSortedSymbolList &exclude) {
         Check(kind.RowCount() <= 1000, "alerts: QuickStrike list within its limit");
         for (const TQuickStrikeEntry &entry : As<TQuickStrikeKind>(kind).Entries())
             Check(!exclude.Contains(DisplayText(entry.Symbol)), "alerts: no excluded symbol listed");
     }},
    {"set", [](const TAlertKind &kind, const TSortedSymbolList &) {
         QSet<QByteArray> seen;
         for (const TBollingerEntry &entry : As<TBandSetKind>(kind).Entries()) {
             Check(!seen.contains(entry.Symbol), "alerts: one band-set row per symbol");
             seen.insert(entry.Symbol);
         }
     }},
    {"symbol", [](const TAlertKind &kind, const TSortedSymbolList &) {
         Check(kind.RowCount() <= 1000, "alerts: symbol-only list within its limit");
     }},
    {"pointslist", [](const TAlertKind &kind, const TSortedSymbolList &) {
         for (const TPointsTopListEntry &entry : As<TPointsListKind>(kind).Entries())
             Check(!entry.Symbol.isEmpty() && !std::isnan(entry.Last) && !std::isnan(entry.Change),
                   "alerts: points rows are complete");
     }},
    {"simplelist", [](const TAlertKind &kind, const TSortedSymbolList &) {
         Check(kind.RowCount() <= 1000, "alerts: simple list within its limit");
     }},
    {"jf-simplelist", [](const TAlertKind &, const TSortedSymbolList &) {}},
    {"smb", [](const TAlertKind &kind, const TSortedSymbolList &) {
         for (const TSmbTopListEntry &entry : As<TFullTopListKind>(kind).Entries())
             Check(!entry.Symbol.isEmpty(), "alerts: top-list rows have symbols");
     }},
};

void FuzzAlerts(const QByteArray &data)
{
    TSortedSymbolList exclude;
    exclude.Add(QStringLiteral("EXCL"));
    std::vector<std::unique_ptr<TWindowList>> windows;
    for (const TFuzzedKind &kind : FuzzedKinds) {
        windows.push_back(std::make_unique<TWindowList>(exclude));
        windows.back()->SetSubscription(FuzzCategory);
        windows.back()->SetDisplay(QString::fromLatin1(kind.Display));
    }
    for (const QByteArray &body : data.split('\0')) {
        for (std::size_t i = 0; i < windows.size(); ++i) {
            windows[i]->HandleAlert(body);
            FuzzedKinds[i].CheckList(windows[i]->Kind(), exclude);
        }
    }
    // A day later every band-set row has expired.
    TAlertKind &bandSet = windows[1]->Kind();
    bandSet.Expire(SteadyNowMs() + 24 * 3600 * 1000);
    Check(bandSet.RowCount() == 0, "alerts: expiry empties the band set");
}

// --- The ini reader: line ends and the letter case of names do not matter, and
// --- integers read as their decimal text says.

// Section and key names as they appear in the text, for looking them up again.
QVector<QPair<QByteArray, QByteArray>> NamesIn(const QByteArray &text)
{
    QVector<QPair<QByteArray, QByteArray>> names;
    QByteArray section;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[') && line.endsWith(']') && line.size() >= 2)
            section = line.mid(1, line.size() - 2).trimmed();
        else if (line.contains('='))
            names.append({section, line.left(line.indexOf('=')).trimmed()});
    }
    return names;
}

bool IsDecimalText(const QByteArray &text)
{
    int digits = 0;
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (!(i == 0 && (c == '+' || c == '-')))
            return false;
    }
    return digits > 0;
}

void CheckInteger(const QByteArray &text)
{
    qint32 value = 0;
    const bool parsed = TIniFile::ParseInteger(text, value);
    if (IsDecimalText(text)) {
        const std::string terminated = text.toStdString();
        errno = 0;
        const long long expected = std::strtoll(terminated.c_str(), nullptr, 10);
        const bool fits = errno == 0 && expected >= std::numeric_limits<qint32>::min()
                          && expected <= std::numeric_limits<qint32>::max();
        Check(parsed == fits, "ini: decimal text parses exactly when it fits 32 bits");
        if (fits)
            Check(value == expected, "ini: decimal text parses to its value");
    }
    if (parsed) {
        qint32 again = 0;
        Check(TIniFile::ParseInteger(QByteArray::number(value), again) && again == value,
              "ini: a parsed integer reads back from its decimal text");
    }
}

void FuzzIni(const QByteArray &data)
{
    const TIniFile ini = TIniFile::FromText(data);
    QByteArray crlf = data;
    crlf.replace('\n', "\r\n");
    const TIniFile crlfIni = TIniFile::FromText(crlf);
    const QByteArray absent = "\x01" "absent";
    for (const auto &[section, key] : NamesIn(data)) {
        const QByteArray value = ini.ReadString(section, key, absent);
        Check(crlfIni.ReadString(section, key, absent) == value, "ini: CR LF files read the same");
        Check(ini.ReadString(section.toUpper(), key.toLower(), absent) == value,
              "ini: names are found whatever their letter case");
        if (value != absent)
            CheckInteger(value);
    }
    for (const QByteArray &line : data.split('\n'))
        CheckInteger(line);
}

// --- Percent decoding.

void FuzzPercent(const QByteArray &data)
{
    const QByteArray decoded = PercentDecode(data);
    Check(decoded.size() <= data.size(), "percent: decoding never lengthens");
    if (!data.contains('%'))
        Check(decoded == data, "percent: text without escapes is unchanged");

    // Every byte escaped, in either letter case, decodes back to the input.
    QByteArray escaped;
    for (int i = 0; i < data.size(); ++i) {
        const char *digits = i % 2 ? "0123456789abcdef" : "0123456789ABCDEF";
        escaped += '%';
        escaped += digits[uchar(data[i]) >> 4];
        escaped += digits[uchar(data[i]) & 15];
    }
    Check(PercentDecode(escaped) == data, "percent: escaped bytes decode back");
}

// --- SOCKS: the first byte picks the settings, the rest is what the proxy replies.
// --- Replies split anywhere end the handshake as one piece does, the handshake
// --- never takes a byte beyond its final reply, and once over it stays over.

struct TSocksRun
{
    QByteArray Sent;
    TSocksHandshake::TStatus Status = TSocksHandshake::TStatus::InProgress;
    QByteArray Left;
};

TSocksRun RunSocks(const TSocksProxy &settings, const QString &host,
                   const QVector<QByteArray> &replies)
{
    TSocksRun run;
    TSocksHandshake handshake(settings, host, 9339);
    run.Sent = handshake.Start();
    for (const QByteArray &reply : replies) {
        run.Left += reply;
        const TSocksHandshake::TStatus before = handshake.Status();
        run.Sent += handshake.Feed(run.Left);
        if (before != TSocksHandshake::TStatus::InProgress)
            Check(handshake.Status() == before, "socks: a finished handshake stays finished");
    }
    run.Status = handshake.Status();
    Check((run.Status == TSocksHandshake::TStatus::Failed) != handshake.FailureText().isEmpty(),
          "socks: a failure, and only a failure, has a text");
    return run;
}

void FuzzSocks(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    const uchar choice = uchar(data[0]);
    TSocksProxy settings;
    settings.Host = QStringLiteral("proxy");
    settings.Port = QStringLiteral("1080");
    settings.Level = choice & 1 ? QStringLiteral("5") : QStringLiteral("4");
    // A user switches on user-code authentication.
    if (choice & 2) {
        settings.User = QStringLiteral("trader");
        settings.Password = QStringLiteral("secret");
    }
    const QString hosts[] = {QStringLiteral("127.0.0.1"), QStringLiteral("alerts.example"),
                             QStringLiteral("::1"), QStringLiteral("10.0.0.1")};
    const QString host = hosts[(choice >> 2) & 3];
    try {
        TSocksHandshake(settings, host, 9339);
    } catch (const ESocketException &) {
        return; // settings the protocol cannot carry; the handshake never starts
    }

    const QByteArray replies = data.mid(1);
    const TSocksRun whole = RunSocks(settings, host, {replies});
    const TSocksRun split = RunSocks(settings, host, TSplitter(SeedOf(data)).Split(replies));
    Check(whole.Status == split.Status, "socks: split replies end as one piece does");
    Check(whole.Sent == split.Sent, "socks: split replies get the same answers");
    Check(whole.Left == split.Left, "socks: split replies leave the same bytes");
    Check(replies.endsWith(whole.Left), "socks: only the front of the replies is taken");
}

// --- The tap's JSON lines: whatever the body, one line of valid JSON, an object
// --- whose first member is the category.

void FuzzJson(const QByteArray &data)
{
    const QByteArray json = TAlertJsonWriter::ToJson(data);
    Check(!json.contains('\n') && !json.contains('\r'), "json: one line");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    Check(error.error == QJsonParseError::NoError, "json: valid JSON");
    Check(document.isObject() && document.object().contains(QStringLiteral("category")),
          "json: an object with the category");
    Check(json.startsWith("{\"category\":"), "json: the category comes first");
}

} // namespace

QList<TNamedFuzzTarget> FuzzTargets()
{
    return {
        {"frames", FuzzFrames}, {"requests", FuzzRequests}, {"inflate", FuzzInflate},
        {"alerts", FuzzAlerts}, {"ini", FuzzIni},           {"percent", FuzzPercent},
        {"socks", FuzzSocks},   {"json", FuzzJson},         {"session", FuzzSession},
    };
}

void PrepareFuzzing()
{
    // The session target talks to its server through the event loop.
    static int argc = 1;
    static char name[] = "azurev-fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}
