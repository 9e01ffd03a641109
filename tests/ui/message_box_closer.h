#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

namespace tervalink::test {

struct ShownMessage {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Closes every modal message box as soon as it is up and records what it showed, so a test never
// waits for a user. Polls from the event loop, including the nested loops of modal boxes and of
// the update's waits.
class MessageBoxCloser : public QObject {
    Q_OBJECT
public:
    MessageBoxCloser();

    const QList<ShownMessage>& shown() const { return shown_; }
    QStringList texts() const;

private:
    void close_open_box();

    QTimer poll_;
    QList<ShownMessage> shown_;
};

} // namespace tervalink::test
