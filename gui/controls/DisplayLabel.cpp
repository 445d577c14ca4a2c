#include "controls/DisplayLabel.h"

namespace tamsel {

DisplayLabel::DisplayLabel(QWidget* parent)
    : QLabel(parent)
{
}

} // namespace tamsel
