#pragma once

#include <QString>

#include "window_design.h"

class QWidget;

namespace tervalink {

inline const QString application_title = QString::fromUtf8(design::message_caption);

// Modal, OK only, no icon, captioned with the application title; returns when the user closed it.
void show_message_box(QWidget* parent, const QString& text);

} // namespace tervalink
