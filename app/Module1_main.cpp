#include "app/Module1.h"
#include "app/Windows.h"
#include "app/form1.h"

namespace Module1 {

int Main() {
    cnLibrary.ConnectionString = LibraryConnectionString(AppPath());
    cnLibrary.Open();
    Windows::Load<form1>();
    Windows::Show<form1>();
    return 0;
}

}  // namespace Module1
