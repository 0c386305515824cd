#pragma once
#include "app/Windows.h"

class frmSetup : public Form {
    Q_OBJECT
  public:
    frmSetup();
    void Form_Load() override;
};
