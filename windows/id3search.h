#pragma once
#include "app/Windows.h"

class id3search : public Form {
    Q_OBJECT
  public:
    id3search();
    void Form_Load() override;
};
