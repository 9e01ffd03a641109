#include "table_binding.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "qt_text.h"

namespace tervalink {

namespace {

constexpr std::array<Field, 6> all_fields{Field::position, Field::nid,  Field::freq,
                                          Field::symb,     Field::pol,  Field::auto_rate};

void set_bold(QWidget* widget, bool bold)
{
    QFont font = widget->font();
    if (font.bold() == bold)
        return;
    font.setBold(bold);
    widget->setFont(font);
}

void set_caption_colour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

TableBinding::TableBinding(SatelliteTable& table, const Controls& controls)
    : table_(table), controls_(controls)
{
}

void TableBinding::connect_typing(QObject* context)
{
    for (Field field : all_fields) {
        for (int index = 0; index < field_count(field); ++index) {
            QObject::connect(controls_.edit(field, index), &QLineEdit::textEdited, context,
                             [this, field, index](const QString& text) {
                                 table_.set_text(field, index, to_utf8(text));
                             });
        }
    }
}

void TableBinding::refresh_all()
{
    refresh_texts();
    refresh_selection();
}

void TableBinding::refresh_texts()
{
    for (Field field : all_fields) {
        for (int index = 0; index < field_count(field); ++index) {
            QLineEdit* box = controls_.edit(field, index);
            const QString text = to_qstring(table_.text(field, index));
            if (box->text() == text)
                continue;
            const QSignalBlocker blocker(box);
            box->setText(text);
        }
    }
}

void TableBinding::refresh_selection()
{
    for (int choice = 0; choice < choice_count; ++choice)
        refresh_choice(choice);
    for (int index = 0; index < tp_row_count; ++index)
        refresh_row(index);
}

void TableBinding::refresh_choice(int choice)
{
    QRadioButton* option = controls_.opSat[choice];
    {
        const QSignalBlocker blocker(option);
        option->setChecked(table_.option_set(choice));
    }
    const bool emphasised = table_.option_emphasis(choice);
    set_bold(option, emphasised);
    set_caption_colour(option, emphasised ? Qt::red : Qt::black);
    set_bold(controls_.Frame2[choice], table_.frame_emphasis(choice));
}

void TableBinding::refresh_row(int index)
{
    QCheckBox* tick = controls_.chTp[index];
    {
        const QSignalBlocker blocker(tick);
        tick->setChecked(table_.ticked(index));
    }
    set_bold(tick, table_.caption_emphasis(index));
}

} // namespace tervalink
