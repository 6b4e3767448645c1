// SPDX-License-Identifier: MIT
#include "messageboxes.h"

#include "identity.h"

#include <QMessageBox>

namespace {

void showModal(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QString::fromUtf8(identity::applicationTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

} // namespace

void MessageBoxes::plain(QWidget* parent, const QString& text)
{
    showModal(parent, QMessageBox::NoIcon, text);
}

void MessageBoxes::failure(QWidget* parent, const QString& text)
{
    showModal(parent, QMessageBox::Warning, text);
}
