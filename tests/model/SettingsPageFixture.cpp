#include "SettingsPageFixture.h"

#include "SettingsSchema.h"
#include "SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace {

struct SpinLimits {
    const char* prefix;
    int minimum, maximum, step;
};
const SpinLimits spinLimits[] = {
    {"seSIM", 60, 3600, 1},
    {"seSensitivity", 10, 10000, 1},
    {"seBatt", 10000, 30000, 100},
    {"udTestReportFreq", 1, 24, 1},
};

QWidget* makeField(const QString& name, QWidget* parent)
{
    QWidget* field = nullptr;
    const QString design = QString::fromStdString(designValue(name.toStdString()));
    if (name.startsWith("lb")) {
        field = new QLabel("-", parent);
    } else if (name.startsWith("ed")) {
        field = new QLineEdit(design, parent);
    } else if (name.startsWith("se") || name.startsWith("ud")) {
        auto* spin = new SpinEdit(parent);
        for (const SpinLimits& limits : spinLimits) {
            if (name.startsWith(limits.prefix)) {
                spin->setRange(limits.minimum, limits.maximum);
                spin->setSingleStep(limits.step);
            }
        }
        spin->setText(design);
        field = spin;
    } else if (name.contains("RemType") || name.startsWith("cbInOut")) {
        auto* combo = new QComboBox(parent);
        if (name.contains("RemType"))
            combo->addItems({"Quarvis_TCP", "Quarvis_UDP", "KX-31", "PALLAS_RX"});
        else
            combo->addItems({"NO", "NC"});
        combo->setCurrentIndex(0);
        field = combo;
    } else if (name.startsWith("cb")) {
        auto* check = new QCheckBox(parent);
        check->setChecked(design == "1");
        field = check;
    }
    if (field)
        field->setObjectName(name);
    return field;
}

} // namespace

std::unique_ptr<QWidget> makeSettingsPage()
{
    auto page = std::make_unique<QWidget>();
    for (const auto* schema : {&settingsSchema(), &statusSchema()}) {
        for (const SchemaBinding& binding : *schema) {
            const QString name = QString::fromStdString(binding.field);
            if (!page->findChild<QWidget*>(name))
                makeField(name, page.get());
        }
    }
    return page;
}
