#include "message_box.h"

#include <QMessageBox>

namespace tervalink {

void show_message_box(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, application_title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace tervalink
