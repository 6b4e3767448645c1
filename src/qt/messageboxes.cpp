// SPDX-License-Identifier: MIT
#include "messageboxes.h"

#include "core/texts.h"
#include "failurereport.h"

#include <QMessageBox>

namespace {

void showModal(QWidget* parent, QMessageBox::Icon icon, const std::string& text)
{
    QMessageBox box(icon, QString::fromStdString(core::texts::applicationTitle),
                    QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void MessageBoxes::plain(const std::string& text, const core::Failure& cause)
{
    printFailure(cause);
    showModal(nullptr, QMessageBox::NoIcon, text);
}

void MessageBoxes::failure(const std::string& text, const core::Failure& cause)
{
    printFailure(cause);
    showModal(owner_, QMessageBox::Warning, text);
}
