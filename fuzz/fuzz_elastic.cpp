// The elastic layout on arbitrary geometry: designed positions, sizes, fonts
// and window sizes, including ones that overflow its 16-bit records.
#include <QLabel>
#include <QPushButton>
#include <cstdint>
#include <cstring>

#include "app/Windows.h"
#include "fuzz/FuzzApp.h"
#include "layout/Line.h"
#include "layout/class_Elastic.h"

namespace {
struct Reader {
    const uint8_t* p;
    size_t n;
    int next(int lo, int hi) {
        uint16_t v = 0;
        if (n >= 2) {
            std::memcpy(&v, p, 2);
            p += 2;
            n -= 2;
        }
        return lo + int(v % uint32_t(hi - lo + 1));
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzApp();
    Reader r{data, size};
    Form w;
    w.resize(r.next(1, 3000), r.next(1, 3000));
    const int controls = r.next(0, 12);
    for (int i = 0; i < controls; ++i) {
        if (r.next(0, 3) == 0) {
            auto* l = new Line(&w);
            l->SetPoints(r.next(-40000, 40000), r.next(-40000, 40000), r.next(-40000, 40000),
                         r.next(-40000, 40000));
        } else {
            QWidget* c = r.next(0, 1) ? static_cast<QWidget*>(new QLabel("x", &w)) : new QPushButton("y", &w);
            c->setGeometry(r.next(-3000, 3000), r.next(-3000, 3000), r.next(0, 3000), r.next(0, 3000));
            QFont f = c->font();
            f.setPointSizeF(r.next(1, 400) / 4.0);
            c->setFont(f);
        }
    }
    class_Elastic el;
    el.Init(&w);
    const int resizes = r.next(1, 6);
    for (int i = 0; i < resizes; ++i) {
        w.resize(r.next(0, 4000), r.next(0, 4000));
        el.FormResize(&w);
    }
    return 0;
}
