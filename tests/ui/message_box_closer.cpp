#include "message_box_closer.h"

#include <QAbstractButton>
#include <QApplication>

namespace tervalink::test {

MessageBoxCloser::MessageBoxCloser()
{
    connect(&poll_, &QTimer::timeout, this, &MessageBoxCloser::close_open_box);
    poll_.start(5);
}

QStringList MessageBoxCloser::texts() const
{
    QStringList texts;
    for (const ShownMessage& message : shown_)
        texts << message.text;
    return texts;
}

void MessageBoxCloser::close_open_box()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    shown_.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    // A box without OK is recorded as such and closed all the same, so no test can hang on it.
    if (QAbstractButton* ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->done(0);
}

} // namespace tervalink::test
