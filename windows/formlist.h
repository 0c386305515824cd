#pragma once
#include "app/Windows.h"

class formlist : public Form {
    Q_OBJECT
  public:
    formlist();
    void Form_Load() override;
};
