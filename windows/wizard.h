#pragma once
#include "app/Windows.h"

class wizard : public Form {
    Q_OBJECT
  public:
    wizard();
    void Form_Load() override;
};
