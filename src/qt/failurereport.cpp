// SPDX-License-Identifier: MIT
#include "failurereport.h"

#include "core/texts.h"
#include "identity.h"

#include <cstdio>
#include <QMessageBox>

void printFailure(const core::Failure& failure)
{
    const std::string line = std::string(identity::executableName) + ": " + failure.text() + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

void reportStartupFailure(const core::Failure& failure)
{
    printFailure(failure);
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(core::texts::applicationTitle),
                    QString::fromStdString(core::texts::startupFailed), QMessageBox::Ok);
    box.setInformativeText(QString::fromStdString(failure.text()));
    box.exec();
}
