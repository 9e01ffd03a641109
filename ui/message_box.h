#pragma once

#include <QString>

class QWidget;

namespace tervalink {

inline const QString application_title = QStringLiteral("Tervalink");

// Modal, OK only, no icon, captioned with the application title; returns when the user closed it.
void show_message_box(QWidget* parent, const QString& text);

} // namespace tervalink
