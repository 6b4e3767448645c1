// SPDX-License-Identifier: MIT
// The dial-up functions read from interface lists built the way sysfs lays them out:
// devices/virtual/net/NAME holds the attributes and class/net/NAME links to it.
#include "platform/linux/sysfsrasapi.h"

#include <cstring>
#include <map>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace mdConnectionTest;
using namespace Qt::Literals::StringLiterals;
using connectiontest::SysfsRasApi;

namespace {

// Attribute contents that stand for files that are not plain text.
const QByteArray absent = "(absent)";
const QByteArray folder = "(a folder: opens, but reading fails)";
const QByteArray fifo = "(a FIFO without writer)";
const QByteArray endless = "(a link to /dev/zero)";
const QByteArray selfLink = "(a link to itself)";

struct Entry
{
    QString name;
    QByteArray type;
    QByteArray ifindex;
    QByteArray flags = "0x1091\n"; // up, point-to-point, no ARP, multicast
    QByteArray carrier = "1\n";
    // What class/net/NAME is when it is not a link to the device: "dangling", "loop", "file".
    QByteArray listed = {};
};

Entry ppp(const QString& name, int index, const QByteArray& type = "512")
{
    return {name, type + '\n', QByteArray::number(index) + '\n'};
}

bool writeAttribute(const QString& path, const QByteArray& content)
{
    if (content == folder) {
        return QDir().mkpath(path);
    }
    if (content == fifo) {
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    }
    if (content == endless || content == selfLink) {
        return QFile::link(content == endless ? u"/dev/zero"_s : path, path);
    }
    QFile file(path);
    return content == absent ||
           (file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
}

// An interface list in a temporary folder.
struct Tree : QTemporaryDir
{
    std::filesystem::path net() const { return filePath(u"class/net"_s).toStdString(); }

    bool add(const Entry& entry) const
    {
        const QString listed = filePath(u"class/net/"_s + entry.name);
        const QString device = filePath(u"devices/virtual/net/"_s + entry.name);
        if (!QDir().mkpath(filePath(u"class/net"_s))) {
            return false;
        }
        if (entry.listed == "dangling" || entry.listed == "loop") {
            return QFile::link(entry.listed == "loop" ? listed : device, listed);
        }
        if (entry.listed == "file") {
            return writeAttribute(listed, entry.type);
        }
        return QDir().mkpath(device) && writeAttribute(device + u"/type"_s, entry.type) &&
               writeAttribute(device + u"/ifindex"_s, entry.ifindex) &&
               writeAttribute(device + u"/flags"_s, entry.flags) &&
               writeAttribute(device + u"/carrier"_s, entry.carrier) && QFile::link(device, listed);
    }
};

// A call that must be refused, in a tree holding eth0 (index 2), ppp0 (3) and ppp1 (4), or at
// a folder that is not there (`missing`): listing into three records, the first stamped
// `stamp`, with `argument` bytes of room; or the status of handle `argument` in a record
// stamped `stamp`. `null` is the argument passed as a null pointer (1 to 3, 0 for none).
struct Refusal
{
    bool listing;
    int null;
    quint32 stamp;
    quint32 argument;
    bool missing;
    quint32 result;
};

} // namespace

Q_DECLARE_METATYPE(Entry)
Q_DECLARE_METATYPE(Refusal)

class TestSysfsRasApi : public QObject
{
    Q_OBJECT

private slots:
    void lists_data();
    void lists();
    void refusesWhatItCannotAnswer_data();
    void refusesWhatItCannotAnswer();
};

void TestSysfsRasApi::lists_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<QList<quint32>>("handles");
    QTest::addColumn<QStringList>("names");
    // The state the first listed link reads as.
    QTest::addColumn<quint32>("state");
    using H = QList<quint32>;
    using N = QStringList;
    const quint32 connected = RASCS_Connected;
    QTest::newRow("by index, not by name")
        << QList{ppp(u"ppp10"_s, 3), ppp(u"eth0"_s, 2, "1"), ppp(u"ppp2"_s, 9), ppp(u"ppp1"_s, 7)}
        << H{3, 7, 9} << N{u"ppp10"_s, u"ppp1"_s, u"ppp2"_s} << connected;
    QTest::newRow("index claimed twice") << QList{ppp(u"pppb"_s, 4), ppp(u"pppa"_s, 4)} << H{4, 4}
                                         << N{u"pppa"_s, u"pppb"_s} << connected;
    const QString longName(200, u'p');
    QTest::newRow("a name longer than the record's field")
        << QList{ppp(longName, 3)} << H{3} << N{longName} << connected;

    // Flags or a carrier that cannot be read count as down or as none; every way a file can be
    // unreadable is the type's rows', below, through the same reading. What readable ones say (up
    // with a carrier is connected; up without one, still authenticating; down, still connecting
    // its device) are the kept fuzz inputs' rows, below.
    QTest::newRow("flags absent") << QList{Entry{u"ppp0"_s, "512\n", "7\n", absent, "1\n"}} << H{7}
                                  << N{u"ppp0"_s} << quint32{RASCS_ConnectDevice};
    QTest::newRow("up, carrier absent")
        << QList{Entry{u"ppp0"_s, "512\n", "7\n", "0x1091\n", absent}} << H{7} << N{u"ppp0"_s}
        << quint32{RASCS_Authenticate};

    // Each of these lists a good ppp0 and one entry that is no connection: files that are no
    // attributes, and entries that are no interface. What an attribute file may hold, how long
    // it may be and a missing index are the kept fuzz inputs' rows, below.
    const auto odd = [](const QByteArray& type, const QByteArray& index, const QByteArray& listed) {
        return Entry{u"odd"_s, type, index, "0x1091\n", "1\n", listed};
    };
    const std::pair<const char*, Entry> odds[] = {
        {"type absent", odd(absent, "3\n", {})},
        {"type a folder", odd(folder, "3\n", {})},
        {"type a FIFO", odd(fifo, "3\n", {})},
        {"type endless", odd(endless, "3\n", {})},
        {"type a link to itself", odd(selfLink, "3\n", {})},
        {"a dangling link", odd("512\n", "3\n", "dangling")},
        {"a link loop", odd("512\n", "3\n", "loop")},
        {"a plain file", odd("512\n", "3\n", "file")},
    };
    for (const auto& [row, entry] : odds) {
        QTest::newRow(row) << QList{entry, ppp(u"ppp0"_s, 2)} << H{2} << N{u"ppp0"_s} << connected;
    }

    // The fuzz target's kept inputs, replayed: each holds one link's type, ifindex, flags and
    // carrier, separated by NUL bytes, and a file the input does not reach is absent. These list
    // their link, with its handle and state; every other lists nothing (ppp-index-zero among
    // them: the kernel numbers interfaces from 1, and handle 0 means no connection).
    const std::map<QString, std::pair<quint32, quint32>> listing = {
        {u"ppp-connected"_s, {7, connected}},
        {u"ppp-no-newlines"_s, {7, connected}},
        {u"ppp-leading-zeros"_s, {7, connected}},
        {u"ppp-largest-index"_s, {4294967295U, connected}},
        {u"ppp-up-no-carrier"_s, {7, RASCS_Authenticate}},
        {u"ppp-down"_s, {8, RASCS_ConnectDevice}},
        {u"ppp-flags-zero"_s, {9, RASCS_ConnectDevice}}};
    const QDir corpus(QStringLiteral(CORVANE_FUZZ_CORPUS));
    const QStringList inputs = corpus.entryList(QDir::Files);
    if (inputs.isEmpty()) {
        qFatal("no kept fuzz inputs in %s", qPrintable(corpus.path()));
    }
    for (const QString& input : inputs) {
        QFile file(corpus.filePath(input));
        if (!file.open(QIODevice::ReadOnly)) {
            qFatal("%s: %s", qPrintable(file.fileName()), qPrintable(file.errorString()));
        }
        QList<QByteArray> fields = file.readAll().split('\0');
        fields.resize(4, absent);
        const auto [handle, linkState] =
            listing.contains(input) ? listing.at(input) : std::pair<quint32, quint32>{};
        QTest::newRow(qPrintable(u"kept input "_s + input))
            << QList{Entry{u"ppp0"_s, fields[0], fields[1], fields[2], fields[3]}}
            << (handle != 0 ? H{handle} : H{}) << N{u"ppp0"_s} << linkState;
    }
}

void TestSysfsRasApi::lists()
{
    QFETCH(QList<Entry>, entries);
    QFETCH(QList<quint32>, handles);
    QFETCH(QStringList, names);
    QFETCH(quint32, state);
    Tree tree;
    for (const Entry& entry : entries) {
        QVERIFY(tree.add(entry));
    }
    SysfsRasApi ras(tree.net());
    // Eight zero-filled records, the first stamped as the program stamps it.
    std::vector<RASCONNA> records(8);
    records[0].dwSize = rasConnSize;
    std::uint32_t byteCount = 8 * rasConnSize;
    std::int32_t count = -1;
    QCOMPARE(ras.RasEnumConnectionsA(records.data(), &byteCount, &count), SUCCESS);
    QCOMPARE(count, static_cast<std::int32_t>(handles.size()));
    QCOMPARE(byteCount, static_cast<std::uint32_t>(handles.size()) * rasConnSize);
    for (qsizetype i = 0; i < handles.size(); ++i) {
        QCOMPARE(records[i].dwSize, rasConnSize);
        QCOMPARE(records[i].hrasconn, handles[i]);
        QCOMPARE(QByteArray(records[i].szEntryName), names[i].toUtf8().left(entryNameLength - 1));
        QCOMPARE(QByteArray(records[i].szDeviceType), "ppp");
        QCOMPARE(QByteArray(records[i].szDeviceName), names[i].toUtf8().left(deviceNameLength - 1));
    }
    // The first record past the list keeps its zeros: with no list, the first record.
    QCOMPARE(records[handles.size()].hrasconn, 0U);
    QCOMPARE(QByteArray(records[handles.size()].szEntryName), "");
    if (handles.isEmpty()) {
        return;
    }
    RASCONNSTATUSA status{};
    status.dwSize = rasConnStatusSize;
    status.dwError = 1;
    QCOMPARE(ras.RasGetConnectStatusA(handles[0], &status), SUCCESS);
    QCOMPARE(status.rasconnstate, state);
    QCOMPARE(status.dwError, 0U);
    QCOMPARE(QByteArray(status.szDeviceType), "ppp");
    QCOMPARE(QByteArray(status.szDeviceName), names[0].toUtf8().left(deviceNameLength - 1));
}

void TestSysfsRasApi::refusesWhatItCannotAnswer_data()
{
    QTest::addColumn<Refusal>("refusal");
    const quint32 record = rasConnSize;
    const quint32 room = 3 * rasConnSize;
    const quint32 status = rasConnStatusSize;
    const std::pair<const char*, Refusal> refusals[] = {
        {"no buffer", {true, 1, record, room, false, ERROR_INVALID_PARAMETER}},
        {"no byte count", {true, 2, record, room, false, ERROR_INVALID_PARAMETER}},
        {"no connection count", {true, 3, record, room, false, ERROR_INVALID_PARAMETER}},
        {"stamped 0", {true, 0, 0, room, false, ERROR_INVALID_SIZE}},
        {"stamped a byte over", {true, 0, record + 1, room, false, ERROR_INVALID_SIZE}},
        // Too little room, at its boundary: a byte short of the two links.
        {"a byte short of two", {true, 0, record, 2 * record - 1, false, ERROR_BUFFER_TOO_SMALL}},
        {"no folder", {true, 0, record, room, true, ERROR_PATH_NOT_FOUND}},
        {"no status record", {false, 1, status, 3, false, ERROR_INVALID_PARAMETER}},
        {"status stamped as a connection", {false, 0, record, 3, false, ERROR_INVALID_SIZE}},
        {"handle 0", {false, 0, status, 0, false, ERROR_INVALID_HANDLE}},
        {"unknown handle", {false, 0, status, 99, false, ERROR_INVALID_HANDLE}},
        {"ethernet's index", {false, 0, status, 2, false, ERROR_INVALID_HANDLE}},
        {"status with no folder", {false, 0, status, 3, true, ERROR_INVALID_HANDLE}},
    };
    for (const auto& [row, refusal] : refusals) {
        QTest::newRow(row) << refusal;
    }
}

void TestSysfsRasApi::refusesWhatItCannotAnswer()
{
    QFETCH(Refusal, refusal);
    Tree tree;
    for (const Entry& entry : {ppp(u"eth0"_s, 2, "1"), ppp(u"ppp0"_s, 3), ppp(u"ppp1"_s, 4)}) {
        QVERIFY(tree.add(entry));
    }
    SysfsRasApi ras(refusal.missing ? tree.net() / "missing" : tree.net());
    QCOMPARE(ras.lastFailureReason(), "");
    // Patterned records show any byte written where none should be.
    std::vector<RASCONNA> records(3);
    std::memset(records.data(), 0xA5, records.size() * sizeof(RASCONNA));
    records[0].dwSize = refusal.stamp;
    const std::vector<RASCONNA> before = records;
    RASCONNSTATUSA status{};
    status.dwSize = refusal.stamp;
    std::int32_t count = -1;
    if (refusal.listing) {
        QCOMPARE(ras.RasEnumConnectionsA(refusal.null == 1 ? nullptr : records.data(),
                                         refusal.null == 2 ? nullptr : &refusal.argument,
                                         refusal.null == 3 ? nullptr : &count),
                 refusal.result);
        // Too small a buffer still says how much room the list needs.
        QCOMPARE(count, refusal.result == ERROR_BUFFER_TOO_SMALL ? 2 : -1);
    } else {
        QCOMPARE(ras.RasGetConnectStatusA(refusal.argument, refusal.null == 1 ? nullptr : &status),
                 refusal.result);
        QCOMPARE(status.rasconnstate, 0U);
    }
    QVERIFY(std::memcmp(records.data(), before.data(), records.size() * sizeof(RASCONNA)) == 0);
    QVERIFY(std::strlen(ras.lastFailureReason()) > 0);
}

QTEST_GUILESS_MAIN(TestSysfsRasApi)
#include "tst_sysfsrasapi.moc"
