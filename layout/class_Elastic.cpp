#include "layout/class_Elastic.h"

void class_Elastic::Init(QWidget*) {}
void class_Elastic::FormResize(QWidget*) {}
