#pragma once
#include "app/Windows.h"

class frmAbout : public Form {
    Q_OBJECT
  public:
    frmAbout();
    void Form_Load() override;
};
