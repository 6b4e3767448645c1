// SPDX-License-Identifier: MIT
// The dial-up functions read from interface lists built the way sysfs lays them out:
// devices/virtual/net/NAME holds the attributes and class/net/NAME links to it.
#include "platform/linux/sysfsrasapi.h"

#include <cstring>
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
// Ten megabytes of leading zeros: an attribute file many thousand times too long.
const QByteArray tenMegabytes(10 << 20, '0');

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
    const QByteArray native = QFile::encodeName(path);
    QFile file(path);
    if (content == absent) {
        return true;
    }
    if (content == folder) {
        return QDir().mkpath(path);
    }
    if (content == fifo) {
        return ::mkfifo(native.constData(), 0600) == 0;
    }
    if (content == endless || content == selfLink) {
        return ::symlink(content == endless ? "/dev/zero" : native.constData(), native) == 0;
    }
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// An interface list in a temporary folder.
class Tree
{
public:
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
        if (!QDir().mkpath(netPath())) {
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

private:
    QTemporaryDir root_;
};

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
    QTest::newRow("no PPP link") << QList{ppp(u"lo"_s, 1, "772"), ppp(u"eth0"_s, 2, "1")} << H{}
                                 << N{} << 0U;
    QTest::newRow("by index, not by name")
        << QList{ppp(u"ppp10"_s, 3), ppp(u"eth0"_s, 2, "1"), ppp(u"ppp2"_s, 9), ppp(u"ppp1"_s, 7)}
        << H{3, 7, 9} << N{u"ppp10"_s, u"ppp1"_s, u"ppp2"_s} << connected;
    QTest::newRow("index claimed twice") << QList{ppp(u"pppb"_s, 4), ppp(u"pppa"_s, 4)} << H{4, 4}
                                         << N{u"pppa"_s, u"pppb"_s} << connected;
    const QString longName(200, u'p');
    QTest::newRow("a name longer than the record's field")
        << QList{ppp(longName, 3)} << H{3} << N{longName} << connected;

    // Flags or a carrier that cannot be read count as down or as none. What readable ones say
    // (up with a carrier is connected; up without one, still authenticating; down, still
    // connecting its device) is the fuzz target's to vary, from its kept corpus (tests/fuzz/).
    const auto state = [](const char* row, const QByteArray& flags, const QByteArray& carrier,
                          quint32 expected) {
        QTest::newRow(row) << QList{Entry{u"ppp0"_s, "512\n", "7\n", flags, carrier}} << H{7}
                           << N{u"ppp0"_s} << expected;
    };
    for (const QByteArray& unreadable : {absent, folder, endless, selfLink}) {
        state(qPrintable(u"flags "_s + QString::fromLatin1(unreadable)), unreadable, "1\n",
              RASCS_ConnectDevice);
        state(qPrintable(u"up, carrier "_s + QString::fromLatin1(unreadable)), "0x1091\n",
              unreadable, RASCS_Authenticate);
    }

    // Each of these lists a good ppp0 and one entry that is no connection: files that are no
    // attributes, and entries that are no interface. What an attribute file may hold is the
    // fuzz target's to vary (tests/fuzz/).
    const auto odd = [](const QByteArray& type, const QByteArray& index, const QByteArray& listed) {
        return Entry{u"odd"_s, type, index, "0x1091\n", "1\n", listed};
    };
    const std::pair<const char*, Entry> odds[] = {
        {"type absent", odd(absent, "3\n", {})},
        {"type a folder", odd(folder, "3\n", {})},
        {"type a FIFO", odd(fifo, "3\n", {})},
        {"type endless", odd(endless, "3\n", {})},
        {"type a link to itself", odd(selfLink, "3\n", {})},
        {"type ten megabytes", odd(tenMegabytes + "512\n", "3\n", {})},
        {"index absent", odd("512\n", absent, {})},
        {"index endless", odd("512\n", endless, {})},
        {"a dangling link", odd("512\n", "3\n", "dangling")},
        {"a link loop", odd("512\n", "3\n", "loop")},
        {"a plain file", odd("512\n", "3\n", "file")},
    };
    for (const auto& [row, entry] : odds) {
        QTest::newRow(row) << QList{entry, ppp(u"ppp0"_s, 2)} << H{2} << N{u"ppp0"_s} << connected;
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
    SysfsRasApi ras(tree.netClassDir());
    const Listing listing = list(ras, 8);
    QCOMPARE(listing.result, SUCCESS);
    QCOMPARE(listing.count, static_cast<std::int32_t>(handles.size()));
    QCOMPARE(listing.byteCount, static_cast<std::uint32_t>(handles.size()) * rasConnSize);
    for (qsizetype i = 0; i < handles.size(); ++i) {
        const RASCONNA& record = listing.records[i];
        QCOMPARE(record.dwSize, rasConnSize);
        QCOMPARE(record.hrasconn, handles[i]);
        QCOMPARE(QByteArray(record.szEntryName), names[i].toUtf8().left(entryNameLength - 1));
        QCOMPARE(QByteArray(record.szDeviceType), "ppp");
        QCOMPARE(QByteArray(record.szDeviceName), names[i].toUtf8().left(deviceNameLength - 1));
    }
    // The first record past the list keeps its zeros; with no list, record 0 keeps handle 0.
    QCOMPARE(listing.records[handles.size()].hrasconn, 0U);
    QCOMPARE(QByteArray(listing.records[handles.size()].szEntryName), "");
    if (!handles.isEmpty()) {
        RASCONNSTATUSA status{};
        status.dwSize = rasConnStatusSize;
        status.dwError = 1;
        QCOMPARE(ras.RasGetConnectStatusA(handles[0], &status), SUCCESS);
        QCOMPARE(status.rasconnstate, state);
        QCOMPARE(status.dwError, 0U);
        QCOMPARE(QByteArray(status.szDeviceType), "ppp");
        QCOMPARE(QByteArray(status.szDeviceName), names[0].toUtf8().left(deviceNameLength - 1));
    }
}

void TestSysfsRasApi::refusesWhatItCannotAnswer_data()
{
    // Listing into `records` records stamped `stamp`, with `byteCount` and a null argument
    // (1 to 3, 0 for none), or the status of `handle` in a record stamped `stamp`; in a tree
    // holding eth0 (index 2), ppp0 (3) and ppp1 (4), or at a folder that is not there.
    QTest::addColumn<bool>("listing");
    QTest::addColumn<int>("nullArgument");
    QTest::addColumn<quint32>("stamp");
    QTest::addColumn<quint32>("byteCount");
    QTest::addColumn<quint32>("handle");
    QTest::addColumn<bool>("folderMissing");
    QTest::addColumn<quint32>("result");
    const quint32 room = 3 * rasConnSize;
    const auto listing = [](const char* name, int null, quint32 stamp, quint32 bytes, bool missing,
                            quint32 result) {
        QTest::newRow(name) << true << null << stamp << bytes << 0U << missing << result;
    };
    listing("no buffer", 1, rasConnSize, room, false, ERROR_INVALID_PARAMETER);
    listing("no byte count", 2, rasConnSize, room, false, ERROR_INVALID_PARAMETER);
    listing("no connection count", 3, rasConnSize, room, false, ERROR_INVALID_PARAMETER);
    listing("stamped 0", 0, 0, room, false, ERROR_INVALID_SIZE);
    listing("stamped a byte over", 0, rasConnSize + 1, room, false, ERROR_INVALID_SIZE);
    listing("room for one", 0, rasConnSize, rasConnSize, false, ERROR_BUFFER_TOO_SMALL);
    listing("a byte short of two", 0, rasConnSize, 2 * rasConnSize - 1, false,
            ERROR_BUFFER_TOO_SMALL);
    listing("no folder", 0, rasConnSize, room, true, ERROR_PATH_NOT_FOUND);
    const auto status = [](const char* name, int null, quint32 stamp, quint32 handle,
                           bool missing) {
        QTest::newRow(name) << false << null << stamp << 0U << handle << missing
                            << (null != 0                    ? ERROR_INVALID_PARAMETER
                                : stamp != rasConnStatusSize ? ERROR_INVALID_SIZE
                                                             : ERROR_INVALID_HANDLE);
    };
    status("no status record", 1, rasConnStatusSize, 3, false);
    status("status stamped as a connection", 0, rasConnSize, 3, false);
    status("handle 0", 0, rasConnStatusSize, 0, false);
    status("unknown handle", 0, rasConnStatusSize, 99, false);
    status("ethernet's index", 0, rasConnStatusSize, 2, false);
    status("status with no folder", 0, rasConnStatusSize, 3, true);
}

void TestSysfsRasApi::refusesWhatItCannotAnswer()
{
    QFETCH(bool, listing);
    QFETCH(int, nullArgument);
    QFETCH(quint32, stamp);
    QFETCH(quint32, byteCount);
    QFETCH(quint32, handle);
    QFETCH(bool, folderMissing);
    QFETCH(quint32, result);
    Tree tree;
    for (const Entry& entry : {ppp(u"eth0"_s, 2, "1"), ppp(u"ppp0"_s, 3), ppp(u"ppp1"_s, 4)}) {
        QVERIFY(tree.add(entry));
    }
    SysfsRasApi ras(folderMissing ? tree.netClassDir() / "missing" : tree.netClassDir());
    QCOMPARE(ras.lastFailureReason(), "");
    // Patterned records show any byte written where none should be.
    std::vector<RASCONNA> records(3);
    std::memset(records.data(), 0xA5, records.size() * sizeof(RASCONNA));
    records[0].dwSize = stamp;
    const std::vector<RASCONNA> before = records;
    RASCONNSTATUSA status{};
    status.dwSize = stamp;
    std::int32_t count = -1;
    if (listing) {
        QCOMPARE(ras.RasEnumConnectionsA(nullArgument == 1 ? nullptr : records.data(),
                                         nullArgument == 2 ? nullptr : &byteCount,
                                         nullArgument == 3 ? nullptr : &count),
                 result);
        // Too small a buffer still says how much room the list needs.
        QCOMPARE(count, result == ERROR_BUFFER_TOO_SMALL ? 2 : -1);
    } else {
        QCOMPARE(ras.RasGetConnectStatusA(handle, nullArgument == 1 ? nullptr : &status), result);
        QCOMPARE(status.rasconnstate, 0U);
    }
    QVERIFY(std::memcmp(records.data(), before.data(), records.size() * sizeof(RASCONNA)) == 0);
    QVERIFY(std::strlen(ras.lastFailureReason()) > 0);
}

QTEST_GUILESS_MAIN(TestSysfsRasApi)
#include "tst_sysfsrasapi.moc"
