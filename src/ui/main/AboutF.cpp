#include "ui/main/AboutF.h"

namespace orvane {

AboutF::AboutF(QWidget *parent) : QDialog(parent) { setObjectName(QStringLiteral("AboutF")); }

void AboutF::Form_Load() {}

} // namespace orvane
