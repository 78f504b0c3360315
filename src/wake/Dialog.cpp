#include "wake/Dialog.h"

namespace orvane {

Dialog::Dialog(QWidget *parent) : QDialog(parent) { setObjectName(QStringLiteral("Dialog")); }

void Dialog::Form_Load() {}

} // namespace orvane
