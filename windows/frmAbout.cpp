#include "windows/frmAbout.h"

#include <QEvent>
#include <QMouseEvent>

#include "seams/Seams.h"
#include "layout/Twips.h"

namespace {

QLabel* makeLabel(QWidget* parent, const QString& caption, int l, int t, int w, int h) {
    return Twips::control<QLabel>(parent, caption, Twips::font("Times New Roman", 11.25, true), l, t, w, h);
}

}  // namespace

frmAbout::frmAbout() {
    setWindowTitle(QStringLiteral("The Velumix"));
    setFixedSize(Twips::px(5700), Twips::px(1095));

    Label3 = makeLabel(this, QStringLiteral("Velumix "), 0, 0, 9495, 375);
    Label2 = makeLabel(this, Maker::kWebAddress, 0, 360, 5775, 375);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);
    Label1 = makeLabel(this, QStringLiteral("Version:"), 0, 720, 4935, 375);
    cmdOk = new QPushButton(QStringLiteral("&OK"), this);
    cmdOk->setFont(Twips::font("Arial Black", 9));
    Twips::place(cmdOk, 4835, 720, 855, 375);

    // Two rules under the name and under the address, framing the link.
    for (int y : {360, 720}) {
        auto* line = new Line(this);
        line->SetPoints(0, y, 5700, y);
        Line1 << line;
    }

    connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
}

void frmAbout::Form_Load() {
    Label1->setText(Label1->text() + QStringLiteral("  ") + QString::number(VELUMIX_VERSION_PATCH));
}

void frmAbout::Label2_Click() {
    Seams::ui().shellOpen(QUrl(Maker::kWebAddress));
}

void frmAbout::cmdOk_Click() {
    Windows::unload(this);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        Label2_Click();
    return Form::eventFilter(watched, event);
}
