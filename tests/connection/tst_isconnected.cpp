// SPDX-License-Identifier: MIT
// The connection test against scripted dial-up functions: only the first listed connection
// decides, and a failed listing is reported once and answers "not connected". The cases live in
// isconnectedcases.h, which the Windows console test runs as well.
#include "isconnectedcases.h"

#include <QTest>

class TestIsConnected : public QObject
{
    Q_OBJECT

private slots:
    void answer_data();
    void answer();
};

void TestIsConnected::answer_data()
{
    QTest::addColumn<std::size_t>("index");
    const auto& cases = isconnectedcases::cases();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        QTest::newRow(cases[i].name) << i;
    }
}

void TestIsConnected::answer()
{
    QFETCH(std::size_t, index);
    const std::vector<std::string> mismatches =
        isconnectedcases::run(isconnectedcases::cases()[index]);
    std::string report;
    for (const std::string& line : mismatches) {
        report += "\n  " + line;
    }
    QVERIFY2(mismatches.empty(), report.c_str());
}

QTEST_GUILESS_MAIN(TestIsConnected)
#include "tst_isconnected.moc"
