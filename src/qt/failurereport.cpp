// SPDX-License-Identifier: MIT
#include "failurereport.h"

#include "identity.h"

#include <cstdio>
#include <QMessageBox>

void printFailure(const Failure& failure)
{
    const QByteArray line = QStringLiteral("%1: %2\n")
                                .arg(QString::fromUtf8(identity::executableName), failure.text())
                                .toLocal8Bit();
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}

void reportStartupFailure(const Failure& failure)
{
    printFailure(failure);
    const QString title = QString::fromUtf8(identity::applicationTitle);
    QMessageBox box(QMessageBox::Critical, title,
                    QStringLiteral("%1 failed to start and will close.").arg(title),
                    QMessageBox::Ok);
    box.setInformativeText(failure.text());
    box.exec();
}
