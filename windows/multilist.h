#pragma once
#include "app/Windows.h"

class multilist : public Form {
    Q_OBJECT
  public:
    multilist();
    void Form_Load() override;
};
