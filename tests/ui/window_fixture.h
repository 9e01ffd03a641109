#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "frm_main.h"
#include "port_discovery.h"

class QAbstractButton;
class QLineEdit;

namespace tervalink::test {

// Device names as a platform inventory would give them; or a failure when asked.
class FakeInventory : public DeviceInventory {
public:
    std::vector<InventoryDevice> devices() override;

    std::vector<InventoryDevice> listed;
    std::optional<std::string> failure;
};

InventoryDevice named_device(const std::string& display_name);

struct WindowOptions {
    std::vector<InventoryDevice> devices;
    std::optional<std::string> inventory_failure;
    TransmissionClock* clock = nullptr; // the machine's own when none is given
    std::string device_root{"/dev"};
};

// The real window with test doubles for the platform: a fake inventory, a file chooser that
// answers with `chosen_path`, and a device root of the test's own.
class WindowFixture {
public:
    explicit WindowFixture(WindowOptions options = {});

    frmMain& window() { return *window_; }
    void show(); // shows the window and waits until it is exposed

    template <typename Widget>
    Widget* find(const QString& name) const
    {
        auto* widget = window_->findChild<Widget*>(name);
        if (widget == nullptr)
            qFatal("the window has no control named %s", qPrintable(name));
        return widget;
    }

    FakeInventory inventory;
    QString chosen_path;
    int chooser_calls = 0;

private:
    std::unique_ptr<frmMain> window_;
};

QString indexed(const char* name, int index);

// A click where a user clicks: on the indicator of a check box or option, mid-button otherwise.
void click(QAbstractButton* button);
// What a user does, one step per entry: "opSat_3" clicks that control, "txtNID_16=1" types into
// that box (an empty right side clears it).
void perform(WindowFixture& ui, const QStringList& steps);
// Replaces the text of a box by typing, as a user would: select all, then the keys.
void type_into(QLineEdit* box, const QString& text);

} // namespace tervalink::test
