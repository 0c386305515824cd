#include "layout/class_Elastic.h"

void class_Elastic::Init(QWidget*, bool) {
    skipNextResize_ = true;
}
void class_Elastic::FormResize(QWidget*) {
    skipNextResize_ = false;
}
