// SPDX-License-Identifier: MIT
// The dial-up functions read from interface lists built the way sysfs lays them out:
// devices/virtual/net/NAME holds the attributes and class/net/NAME links to it.
#include "filemodesapply.h"
#include "platform/linux/sysfsrasapi.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <thread>
#include <utility>

using namespace mdConnectionTest;
using namespace Qt::Literals::StringLiterals;
using connectiontest::SysfsRasApi;

namespace {

constexpr quint32 connectingDevice = mdConnectionTest::RASCS_ConnectDevice;
constexpr quint32 authenticating = mdConnectionTest::RASCS_Authenticate;

// Attribute contents that stand for files that are not plain text.
const QByteArray absent = "(absent)";
const QByteArray unreadable = "(a folder: opens, but reading fails)";
const QByteArray fifo = "(a FIFO without writer)";
const QByteArray noPermission = "(a file its mode forbids reading)";
const QByteArray endless = "(a link to /dev/zero)";
const QByteArray selfLink = "(a link to itself)";

// Ten megabytes: an attribute file many thousand times too long.
constexpr qsizetype hugeAttributeBytes = 10 * 1024 * 1024;

enum class Shape
{
    Device,
    DanglingLink,
    LinkLoop,
    PlainFile
};

struct Entry
{
    QString name;
    QByteArray type;
    QByteArray ifindex;
    QByteArray flags = "0x1091\n"; // up, point-to-point, no ARP, multicast
    QByteArray carrier = "1\n";
    Shape shape = Shape::Device;
};

Entry link(const QString& name, const QByteArray& type, int index)
{
    return {name, type + '\n', QByteArray::number(index) + '\n'};
}
Entry ppp(const QString& name, int index)
{
    return link(name, "512", index);
}
Entry odd(const QByteArray& type, const QByteArray& ifindex, Shape shape = Shape::Device)
{
    return {u"odd"_s, type, ifindex, "0x1091\n", "1\n", shape};
}

bool writeAttribute(const QString& path, const QByteArray& content)
{
    if (content == absent) {
        return true;
    }
    if (content == unreadable) {
        return QDir().mkpath(path);
    }
    if (content == fifo) {
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    }
    if (content == noPermission) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write("512\n") == 4 &&
               file.setPermissions({});
    }
    if (content == endless) {
        return QFile::link(u"/dev/zero"_s, path);
    }
    if (content == selfLink) {
        return QFile::link(path, path);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// An interface list in a temporary folder.
class Tree
{
public:
    Tree() = default;
    // In a folder of the given template instead of the system's temporary folder.
    explicit Tree(const QString& templatePath) : root_(templatePath) {}

    QString netPath() const { return root_.filePath(u"class/net"_s); }
    std::filesystem::path netClassDir() const { return netPath().toStdString(); }
    QString devicePath(const QString& name) const
    {
        return root_.filePath(u"devices/virtual/net/"_s + name);
    }

    bool add(const Entry& entry) const
    {
        const QString listed = netPath() + u'/' + entry.name;
        const QString device = devicePath(entry.name);
        switch (entry.shape) {
        case Shape::DanglingLink:
            return QDir().mkpath(netPath()) && QFile::link(device, listed);
        case Shape::LinkLoop:
            return QDir().mkpath(netPath()) && QFile::link(listed, listed);
        case Shape::PlainFile:
            return QDir().mkpath(netPath()) && writeAttribute(listed, entry.type);
        case Shape::Device:
            break;
        }
        return QDir().mkpath(netPath()) && QDir().mkpath(device) &&
               writeAttribute(device + u"/type"_s, entry.type) &&
               writeAttribute(device + u"/ifindex"_s, entry.ifindex) &&
               writeAttribute(device + u"/flags"_s, entry.flags) &&
               writeAttribute(device + u"/carrier"_s, entry.carrier) && QFile::link(device, listed);
    }

private:
    QTemporaryDir root_;
};

// A tree in memory where the system has a shared-memory folder: tens of thousands of files are
// made there much faster than on a disk.
Tree treeInMemory()
{
    const QFileInfo memory(u"/dev/shm"_s);
    return memory.isDir() && memory.isWritable() ? Tree(u"/dev/shm/tst_sysfsrasapi-XXXXXX"_s)
                                                 : Tree();
}

QByteArray text(const char* field)
{
    return QByteArray(field);
}

// What a listing into `records` zero-filled records, stamped as the program stamps them, gave.
struct Listing
{
    std::uint32_t result;
    std::uint32_t byteCount;
    std::int32_t count;
    std::vector<RASCONNA> records;
};

Listing list(SysfsRasApi& ras, std::size_t records)
{
    Listing listing{0, static_cast<std::uint32_t>(records) * rasConnSize, -1,
                    std::vector<RASCONNA>(records)};
    listing.records[0].dwSize = rasConnSize;
    listing.result =
        ras.RasEnumConnectionsA(listing.records.data(), &listing.byteCount, &listing.count);
    return listing;
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class TestSysfsRasApi : public QObject
{
    Q_OBJECT

private slots:
    void lists_data();
    void lists();
    void readsState_data();
    void readsState();
    void reportsTooSmallBuffer_data();
    void reportsTooSmallBuffer();
    void rejectsListingArguments_data();
    void rejectsListingArguments();
    void rejectsStatusArguments_data();
    void rejectsStatusArguments();
    void reportsMissingFolder_data();
    void reportsMissingFolder();
    void readsAfreshEachCall();
    void entriesComeAndGoWhileListed();
};

void TestSysfsRasApi::lists_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<QList<quint32>>("handles");
    QTest::addColumn<QStringList>("names");

    using H = QList<quint32>;
    using N = QStringList;
    QTest::newRow("no PPP link") << QList{link(u"lo"_s, "772", 1), link(u"eth0"_s, "1", 2)} << H{}
                                 << N{};
    QTest::newRow("one") << QList{link(u"eth0"_s, "1", 2), ppp(u"ppp0"_s, 5)} << H{5}
                         << N{u"ppp0"_s};
    QTest::newRow("by index, not by name")
        << QList{ppp(u"ppp10"_s, 3), ppp(u"ppp2"_s, 9), ppp(u"ppp1"_s, 7)} << H{3, 7, 9}
        << N{u"ppp10"_s, u"ppp1"_s, u"ppp2"_s};
    QTest::newRow("mixed") << QList{link(u"eth0"_s, "1", 2), ppp(u"ppp0"_s, 4),
                                    link(u"tun0"_s, "65534", 5), ppp(u"ppp1"_s, 6),
                                    link(u"wlan0"_s, "1", 3)}
                           << H{4, 6} << N{u"ppp0"_s, u"ppp1"_s};
    QTest::newRow("index claimed twice")
        << QList{ppp(u"pppb"_s, 4), ppp(u"pppa"_s, 4)} << H{4, 4} << N{u"pppa"_s, u"pppb"_s};
    const QString longName(200, u'p');
    QTest::newRow("long name") << QList{ppp(longName, 3)} << H{3} << N{longName};

    // Each of these lists a good ppp0 and one entry that is no connection.
    const std::pair<const char*, Entry> odds[] = {
        {"type absent", odd(absent, "3\n")},
        {"type unreadable", odd(unreadable, "3\n")},
        {"type a FIFO", odd(fifo, "3\n")},
        {"type empty", odd("", "3\n")},
        {"type a word", odd("ppp\n", "3\n")},
        {"type negative", odd("-512\n", "3\n")},
        {"type 512 beyond 32 bits", odd("4294967808\n", "3\n")},
        {"type trailing space", odd("512 \n", "3\n")},
        {"type two newlines", odd("512\n\n", "3\n")},
        {"type too long", odd(QByteArray(61, '0') + "512\n", "3\n")}, // 65 bytes
        {"type ten megabytes", odd(QByteArray(hugeAttributeBytes, '0') + "512\n", "3\n")},
        {"type endless", odd(endless, "3\n")},
        {"type unreadable by its mode", odd(noPermission, "3\n")},
        {"type a link to itself", odd(selfLink, "3\n")},
        {"type hexadecimal", odd("0x200\n", "3\n")},
        {"type with a NUL", odd(QByteArray("512\0\n", 5), "3\n")},
        {"index absent", odd("512\n", absent)},
        {"index a word", odd("512\n", "three\n")},
        {"index negative", odd("512\n", "-3\n")},
        {"index 3 beyond 32 bits", odd("512\n", "4294967299\n")},
        {"index 0", odd("512\n", "0\n")},
        {"index beyond 64 bits", odd("512\n", "36893488147419103235\n")},
        {"index endless", odd("512\n", endless)},
        {"index unreadable by its mode", odd("512\n", noPermission)},
        {"index a link to itself", odd("512\n", selfLink)},
        {"dangling link", odd("512\n", "3\n", Shape::DanglingLink)},
        {"link loop", odd("512\n", "3\n", Shape::LinkLoop)},
        {"plain file", odd("512\n", "3\n", Shape::PlainFile)},
    };
    for (const auto& [row, entry] : odds) {
        QTest::newRow(row) << QList{entry, ppp(u"ppp0"_s, 2)} << H{2} << N{u"ppp0"_s};
    }
}

void TestSysfsRasApi::lists()
{
    QFETCH(QList<Entry>, entries);
    QFETCH(QList<quint32>, handles);
    QFETCH(QStringList, names);
    Tree tree;
    for (const Entry& entry : entries) {
        QVERIFY(tree.add(entry));
    }

    SysfsRasApi ras(tree.netClassDir());
    const FileModesApply modesApply;
    const Listing listing = list(ras, 8);
    QCOMPARE(listing.result, SUCCESS);
    QCOMPARE(listing.count, static_cast<std::int32_t>(handles.size()));
    QCOMPARE(listing.byteCount, static_cast<std::uint32_t>(handles.size()) * rasConnSize);
    for (qsizetype i = 0; i < handles.size(); ++i) {
        const RASCONNA& record = listing.records[i];
        QCOMPARE(record.dwSize, rasConnSize);
        QCOMPARE(record.hrasconn, handles[i]);
        QCOMPARE(text(record.szEntryName), names[i].toUtf8().left(entryNameLength - 1));
        QCOMPARE(text(record.szDeviceType), "ppp");
        QCOMPARE(text(record.szDeviceName), names[i].toUtf8().left(deviceNameLength - 1));
    }
    // The first record past the list keeps its zeros; with no list, record 0 keeps handle 0.
    QCOMPARE(listing.records[handles.size()].hrasconn, 0U);
    QCOMPARE(text(listing.records[handles.size()].szEntryName), "");
}

void TestSysfsRasApi::readsState_data()
{
    QTest::addColumn<QByteArray>("flags");
    QTest::addColumn<QByteArray>("carrier");
    QTest::addColumn<quint32>("state");

    const auto row = [](const char* name, const QByteArray& flags, const QByteArray& carrier,
                        quint32 state) {
        QTest::newRow(name) << flags << carrier << state;
    };
    row("up with carrier", "0x1091\n", "1\n", RASCS_Connected);
    row("only up, carrier", "0x1\n", "1\n", RASCS_Connected);
    row("up without carrier", "0x1091\n", "0\n", authenticating);
    row("up, carrier unreadable", "0x1091\n", unreadable, authenticating);
    row("up, carrier absent", "0x1091\n", absent, authenticating);
    row("up, carrier a word", "0x1091\n", "yes\n", authenticating);
    row("down", "0x1090\n", unreadable, connectingDevice);
    row("down, carrier 1", "0x1090\n", "1\n", connectingDevice);
    row("flags absent", absent, "1\n", connectingDevice);
    row("flags unreadable", unreadable, "1\n", connectingDevice);
    row("flags negative", "-1\n", "1\n", connectingDevice);
    row("flags up beyond 32 bits", "0x100000001\n", "1\n", connectingDevice);
    row("flags endless", endless, "1\n", connectingDevice);
    row("flags unreadable by its mode", noPermission, "1\n", connectingDevice);
    row("flags a link to itself", selfLink, "1\n", connectingDevice);
    row("flags ten megabytes", "0x" + QByteArray(hugeAttributeBytes, '0') + "1\n", "1\n",
        connectingDevice);
    row("up, carrier endless", "0x1091\n", endless, authenticating);
    row("up, carrier unreadable by its mode", "0x1091\n", noPermission, authenticating);
    row("up, carrier a link to itself", "0x1091\n", selfLink, authenticating);
}

void TestSysfsRasApi::readsState()
{
    QFETCH(QByteArray, flags);
    QFETCH(QByteArray, carrier);
    QFETCH(quint32, state);
    Tree tree;
    Entry entry = ppp(u"ppp0"_s, 7);
    entry.flags = flags;
    entry.carrier = carrier;
    QVERIFY(tree.add(entry));

    SysfsRasApi ras(tree.netClassDir());
    const FileModesApply modesApply;
    RASCONNSTATUSA status{};
    status.dwSize = rasConnStatusSize;
    status.dwError = 1;
    QCOMPARE(ras.RasGetConnectStatusA(7, &status), SUCCESS);
    QCOMPARE(status.dwSize, rasConnStatusSize);
    QCOMPARE(status.rasconnstate, state);
    QCOMPARE(status.dwError, 0U);
    QCOMPARE(text(status.szDeviceType), "ppp");
    QCOMPARE(text(status.szDeviceName), "ppp0");
}

void TestSysfsRasApi::reportsTooSmallBuffer_data()
{
    QTest::addColumn<quint32>("bufferBytes");
    QTest::addColumn<quint32>("result");

    QTest::newRow("no room") << 0U << ERROR_BUFFER_TOO_SMALL;
    QTest::newRow("one record") << rasConnSize << ERROR_BUFFER_TOO_SMALL;
    QTest::newRow("one byte short") << 2 * rasConnSize - 1 << ERROR_BUFFER_TOO_SMALL;
    QTest::newRow("two records") << 2 * rasConnSize << SUCCESS;
}

void TestSysfsRasApi::reportsTooSmallBuffer()
{
    QFETCH(quint32, bufferBytes);
    QFETCH(quint32, result);
    Tree tree;
    QVERIFY(tree.add(ppp(u"ppp0"_s, 3)));
    QVERIFY(tree.add(ppp(u"ppp1"_s, 4)));

    // Patterned records show any byte written where none should be.
    std::vector<RASCONNA> buffer(3);
    std::memset(buffer.data(), 0xA5, buffer.size() * sizeof(RASCONNA));
    buffer[0].dwSize = rasConnSize;
    const std::vector<RASCONNA> before = buffer;
    SysfsRasApi ras(tree.netClassDir());
    std::uint32_t byteCount = bufferBytes;
    std::int32_t count = 0;
    QCOMPARE(ras.RasEnumConnectionsA(buffer.data(), &byteCount, &count), result);
    QCOMPARE(byteCount, 2 * rasConnSize);
    QCOMPARE(count, 2);
    const std::size_t written = result == SUCCESS ? 2 : 0;
    QVERIFY(std::memcmp(&buffer[written], &before[written],
                        (buffer.size() - written) * sizeof(RASCONNA)) == 0);
    QCOMPARE(QByteArray(ras.lastFailureReason()).isEmpty(), result == SUCCESS);
}

void TestSysfsRasApi::rejectsListingArguments_data()
{
    QTest::addColumn<int>("nullArgument"); // 0 none, then 1, 2 or 3 for that argument
    QTest::addColumn<quint32>("stamp");
    QTest::addColumn<quint32>("result");

    QTest::newRow("no buffer") << 1 << rasConnSize << ERROR_INVALID_PARAMETER;
    QTest::newRow("no byte count") << 2 << rasConnSize << ERROR_INVALID_PARAMETER;
    QTest::newRow("no connection count") << 3 << rasConnSize << ERROR_INVALID_PARAMETER;
    QTest::newRow("stamped 0") << 0 << 0U << ERROR_INVALID_SIZE;
    QTest::newRow("stamped as a status") << 0 << rasConnStatusSize << ERROR_INVALID_SIZE;
    QTest::newRow("stamped a byte over") << 0 << rasConnSize + 1 << ERROR_INVALID_SIZE;
}

void TestSysfsRasApi::rejectsListingArguments()
{
    QFETCH(int, nullArgument);
    QFETCH(quint32, stamp);
    QFETCH(quint32, result);
    Tree tree;
    QVERIFY(tree.add(ppp(u"ppp0"_s, 3)));

    SysfsRasApi ras(tree.netClassDir());
    RASCONNA record{};
    record.dwSize = stamp;
    std::uint32_t byteCount = rasConnSize;
    std::int32_t count = -1;
    QCOMPARE(ras.RasEnumConnectionsA(nullArgument == 1 ? nullptr : &record,
                                     nullArgument == 2 ? nullptr : &byteCount,
                                     nullArgument == 3 ? nullptr : &count),
             result);
    QCOMPARE(record.hrasconn, 0U);
    QCOMPARE(byteCount, rasConnSize);
    QCOMPARE(count, -1);
    QVERIFY(std::strlen(ras.lastFailureReason()) > 0);
}

void TestSysfsRasApi::rejectsStatusArguments_data()
{
    QTest::addColumn<bool>("noRecord");
    QTest::addColumn<quint32>("stamp");
    QTest::addColumn<quint32>("handle");
    QTest::addColumn<quint32>("result");

    QTest::newRow("no record") << true << rasConnStatusSize << 3U << ERROR_INVALID_PARAMETER;
    QTest::newRow("stamped 0") << false << 0U << 3U << ERROR_INVALID_SIZE;
    QTest::newRow("stamped as a connection") << false << rasConnSize << 3U << ERROR_INVALID_SIZE;
    QTest::newRow("handle 0") << false << rasConnStatusSize << 0U << ERROR_INVALID_HANDLE;
    QTest::newRow("unknown handle") << false << rasConnStatusSize << 99U << ERROR_INVALID_HANDLE;
    QTest::newRow("ethernet's index") << false << rasConnStatusSize << 2U << ERROR_INVALID_HANDLE;
}

void TestSysfsRasApi::rejectsStatusArguments()
{
    QFETCH(bool, noRecord);
    QFETCH(quint32, stamp);
    QFETCH(quint32, handle);
    QFETCH(quint32, result);
    Tree tree;
    QVERIFY(tree.add(link(u"eth0"_s, "1", 2)));
    QVERIFY(tree.add(ppp(u"ppp0"_s, 3)));

    SysfsRasApi ras(tree.netClassDir());
    QCOMPARE(ras.lastFailureReason(), "");
    RASCONNSTATUSA status{};
    status.dwSize = stamp;
    QCOMPARE(ras.RasGetConnectStatusA(handle, noRecord ? nullptr : &status), result);
    QCOMPARE(status.rasconnstate, 0U);
    QCOMPARE(text(status.szDeviceName), "");
    QVERIFY(std::strlen(ras.lastFailureReason()) > 0);
}

void TestSysfsRasApi::reportsMissingFolder_data()
{
    QTest::addColumn<QString>("folder"); // under a temporary folder that holds a file "file"
    QTest::addColumn<int>("error");

    QTest::newRow("missing") << u"missing"_s << ENOENT;
    QTest::newRow("a file") << u"file"_s << ENOTDIR;
    QTest::newRow("under a file") << u"file/net"_s << ENOTDIR;
}

void TestSysfsRasApi::reportsMissingFolder()
{
    QFETCH(QString, folder);
    QFETCH(int, error);
    QTemporaryDir root;
    QVERIFY(writeAttribute(root.filePath(u"file"_s), "1\n"));
    const QString path = root.filePath(folder);

    SysfsRasApi ras(path.toStdString());
    const Listing listing = list(ras, 1);
    QCOMPARE(listing.result, ERROR_PATH_NOT_FOUND);
    QCOMPARE(QString::fromLocal8Bit(ras.lastFailureReason()),
             path + u": "_s + QString::fromLocal8Bit(std::strerror(error)));
    QCOMPARE(listing.count, -1);

    RASCONNSTATUSA status{};
    status.dwSize = rasConnStatusSize;
    QCOMPARE(ras.RasGetConnectStatusA(1, &status), ERROR_INVALID_HANDLE);
}

void TestSysfsRasApi::readsAfreshEachCall()
{
    Tree tree;
    // Made before the folder exists: the constructor reads nothing.
    SysfsRasApi ras(tree.netClassDir());
    QVERIFY(tree.add(ppp(u"ppp0"_s, 2)));
    RASCONNSTATUSA status{};
    status.dwSize = rasConnStatusSize;
    QCOMPARE(ras.RasGetConnectStatusA(2, &status), SUCCESS);
    QCOMPARE(status.rasconnstate, RASCS_Connected);

    QVERIFY(writeAttribute(tree.devicePath(u"ppp0"_s) + u"/carrier"_s, "0\n"));
    QCOMPARE(ras.RasGetConnectStatusA(2, &status), SUCCESS);
    QCOMPARE(status.rasconnstate, authenticating);

    QVERIFY(tree.add(ppp(u"ppp1"_s, 1)));
    QVERIFY(QFile::remove(tree.netPath() + u"/ppp0"_s));
    const Listing listing = list(ras, 2);
    QCOMPARE(listing.result, SUCCESS);
    QCOMPARE(listing.count, 1);
    QCOMPARE(listing.records[0].hrasconn, 1U);
    QCOMPARE(ras.RasGetConnectStatusA(2, &status), ERROR_INVALID_HANDLE);
}

void TestSysfsRasApi::entriesComeAndGoWhileListed()
{
    // Two links stay; meanwhile another thread adds and takes away forty more, one file at a
    // time, so that listings meet entries half made and half gone.
    constexpr int comingAndGoing = 40;
    constexpr int listings = 300;
    const Tree tree = treeInMemory();
    QVERIFY(tree.add(ppp(u"ppp0"_s, 2)));
    QVERIFY(tree.add(ppp(u"ppp1"_s, 3)));
    std::atomic<int> rounds = 0;
    // Stopped and joined however the test leaves.
    std::jthread churn([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            for (int i = 0; i < comingAndGoing; ++i) {
                const QString name = u"pppx%1"_s.arg(i);
                tree.add(ppp(name, 100 + i));
                // Half of them go before they were ever complete.
                if (i % 2 == 0) {
                    QFile::remove(tree.devicePath(name) + u"/ifindex"_s);
                }
            }
            for (int i = 0; i < comingAndGoing; ++i) {
                const QString name = u"pppx%1"_s.arg(i);
                QFile::remove(tree.devicePath(name) + u"/type"_s);
                QFile::remove(tree.netPath() + u'/' + name);
                QDir(tree.devicePath(name)).removeRecursively();
            }
            ++rounds;
        }
    });

    SysfsRasApi ras(tree.netClassDir());
    int sawOthers = 0;
    for (int n = 0; n < listings && !QTest::currentTestFailed(); ++n) {
        const Listing listing = list(ras, 256);
        QCOMPARE(listing.result, SUCCESS);
        QVERIFY(listing.count >= 2 && listing.count <= 2 + comingAndGoing);
        QCOMPARE(listing.records[0].hrasconn, 2U);
        QCOMPARE(listing.records[1].hrasconn, 3U);
        for (std::int32_t i = 2; i < listing.count; ++i) {
            const RASCONNA& record = listing.records[static_cast<std::size_t>(i)];
            QVERIFY(record.hrasconn > listing.records[static_cast<std::size_t>(i) - 1].hrasconn);
            QCOMPARE(text(record.szEntryName), u"pppx%1"_s.arg(record.hrasconn - 100).toUtf8());
            // Asked about after it may have gone: it is either read or no connection.
            RASCONNSTATUSA status{};
            status.dwSize = rasConnStatusSize;
            const std::uint32_t answer = ras.RasGetConnectStatusA(record.hrasconn, &status);
            QVERIFY(answer == SUCCESS || answer == ERROR_INVALID_HANDLE);
            QVERIFY(status.rasconnstate == RASCS_Connected ||
                    status.rasconnstate == authenticating ||
                    status.rasconnstate == connectingDevice || status.rasconnstate == 0);
        }
        sawOthers += listing.count > 2 ? 1 : 0;
    }
    churn.request_stop();
    churn.join();
    qInfo("%d listings met %d rounds of links coming and going; %d of them listed some", listings,
          rounds.load(), sawOthers);
    QVERIFY(rounds > 0);
}

QTEST_GUILESS_MAIN(TestSysfsRasApi)
#include "tst_sysfsrasapi.moc"
