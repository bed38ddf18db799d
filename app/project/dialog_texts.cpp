#include "dialog_texts.h"

#include <QWidget>

namespace scriba8::app {

void SetControlId(QWidget* control, int id) { control->setObjectName(QStringLiteral("control%1").arg(id)); }

} // namespace scriba8::app
