// SPDX-License-Identifier: MIT
// The connection test against scripted dial-up functions: only the first listed connection
// decides, and a failed listing is reported once and answers "not connected".
#include "connection/isconnected.h"
#include "fakerasapi.h"

#include <QList>
#include <QTest>

using namespace mdConnectionTest;

constexpr quint32 connectingDevice = mdConnectionTest::RASCS_ConnectDevice;
constexpr quint32 authenticating = mdConnectionTest::RASCS_Authenticate;

class TestIsConnected : public QObject
{
    Q_OBJECT

private slots:
    void answer_data();
    void answer();
};

void TestIsConnected::answer_data()
{
    QTest::addColumn<quint32>("enumerationResult");
    QTest::addColumn<QList<quint32>>("states");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QList<quint32>>("reportedCodes");
    QTest::addColumn<QList<quint32>>("handlesAsked");

    using Codes = QList<quint32>;
    QTest::newRow("listing fails") << ERROR_ACCESS_DENIED << Codes{RASCS_Connected} << false
                                   << Codes{ERROR_ACCESS_DENIED} << Codes{};
    QTest::newRow("no connection") << SUCCESS << Codes{} << false << Codes{} << Codes{0};
    QTest::newRow("connected") << SUCCESS << Codes{RASCS_Connected} << true << Codes{} << Codes{1};
    QTest::newRow("dialling") << SUCCESS << Codes{connectingDevice} << false << Codes{} << Codes{1};
    QTest::newRow("authenticating")
        << SUCCESS << Codes{authenticating} << false << Codes{} << Codes{1};
    QTest::newRow("first connected, second not")
        << SUCCESS << Codes{RASCS_Connected, authenticating} << true << Codes{} << Codes{1};
    QTest::newRow("first not, second connected")
        << SUCCESS << Codes{connectingDevice, RASCS_Connected} << false << Codes{} << Codes{1};
}

void TestIsConnected::answer()
{
    QFETCH(quint32, enumerationResult);
    QFETCH(QList<quint32>, states);
    QFETCH(bool, expected);
    QFETCH(QList<quint32>, reportedCodes);
    QFETCH(QList<quint32>, handlesAsked);

    FakeRasApi ras;
    ras.enumerationResult = enumerationResult;
    ras.states.assign(states.cbegin(), states.cend());
    QList<quint32> reported;
    const bool answer = connectiontest::firstConnectionIsConnected(
        ras, [&reported](std::uint32_t code) { reported.append(code); });

    QCOMPARE(answer, expected);
    QCOMPARE(reported, reportedCodes);
    QCOMPARE(ras.firstRecordSize, rasConnSize);
    QCOMPARE(ras.byteCountOnEntry, 105472U); // 256 records of 412 bytes
    QCOMPARE(QList<quint32>(ras.statusHandles.cbegin(), ras.statusHandles.cend()), handlesAsked);
    for (const std::uint32_t size : ras.statusRecordSizes) {
        QCOMPARE(size, rasConnStatusSize);
    }
}

QTEST_GUILESS_MAIN(TestIsConnected)
#include "tst_isconnected.moc"
