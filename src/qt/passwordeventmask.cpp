// SPDX-License-Identifier: MIT
#include "passwordeventmask.h"

#include <QAccessible>
#include <QLineEdit>
#include <QStyle>

namespace {

void maskHiddenText(QAccessibleEvent* event);

// Hands an event on to Qt's own delivery, which ends in the platform's accessibility bridge. The
// hook is set aside for that one call, or the event would come straight back here.
void deliver(QAccessibleEvent* event)
{
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&maskHiddenText);
}

// The box an event comes from, if it is a text box that does not show its text.
const QLineEdit* hidingTextBox(const QAccessibleEvent& event)
{
    const auto* box = qobject_cast<const QLineEdit*>(event.object());
    return box != nullptr && box->echoMode() != QLineEdit::Normal ? box : nullptr;
}

// What the box shows for the text: its password character once for each character, or nothing
// at all for a box that echoes nothing.
QString asShown(const QLineEdit& box, const QString& text)
{
    if (box.echoMode() == QLineEdit::NoEcho) {
        return {};
    }
    const auto mask = static_cast<char16_t>(
        box.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &box));
    return QString(text.size(), QChar(mask));
}

void maskHiddenText(QAccessibleEvent* event)
{
    const QLineEdit* box = hidingTextBox(*event);
    if (box == nullptr) {
        deliver(event);
        return;
    }
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* typed = static_cast<const QAccessibleTextInsertEvent*>(event);
        QAccessibleTextInsertEvent masked(event->object(), typed->changePosition(),
                                          asShown(*box, typed->textInserted()));
        masked.setCursorPosition(typed->cursorPosition());
        deliver(&masked);
        return;
    }
    case QAccessible::TextRemoved: {
        const auto* deleted = static_cast<const QAccessibleTextRemoveEvent*>(event);
        QAccessibleTextRemoveEvent masked(event->object(), deleted->changePosition(),
                                          asShown(*box, deleted->textRemoved()));
        masked.setCursorPosition(deleted->cursorPosition());
        deliver(&masked);
        return;
    }
    case QAccessible::TextUpdated: {
        const auto* replaced = static_cast<const QAccessibleTextUpdateEvent*>(event);
        QAccessibleTextUpdateEvent masked(event->object(), replaced->changePosition(),
                                          asShown(*box, replaced->textRemoved()),
                                          asShown(*box, replaced->textInserted()));
        masked.setCursorPosition(replaced->cursorPosition());
        deliver(&masked);
        return;
    }
    default:
        deliver(event);
        return;
    }
}

} // namespace

PasswordEventMask::PasswordEventMask()
{
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(&maskHiddenText);
    if (previous != nullptr) {
        QAccessible::installUpdateHandler(previous);
        return;
    }
    installed_ = true;
}

PasswordEventMask::~PasswordEventMask()
{
    if (installed_) {
        QAccessible::installUpdateHandler(nullptr);
    }
}
