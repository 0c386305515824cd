#include "app/Windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <map>
#include <vector>

#include "layout/Twips.h"
#include "layout/WindowFrame.h"

namespace Windows {
namespace {

std::map<std::type_index, Form*>& registry() {
    static std::map<std::type_index, Form*> r;
    return r;
}

std::vector<QPointer<Form>>& graveyard() {
    static std::vector<QPointer<Form>> g;
    return g;
}

void quitEventLoop() {
    QCoreApplication::quit();
}
void (*g_onLastUnloaded)() = quitEventLoop;

}  // namespace

Form* find(std::type_index type) {
    auto it = registry().find(type);
    return it == registry().end() ? nullptr : it->second;
}

void add(std::type_index type, Form* form) {
    registry()[type] = form;
}

bool unload(Form* form) {
    auto& r = registry();
    auto it = std::find_if(r.begin(), r.end(), [form](const auto& kv) { return kv.second == form; });
    if (it == r.end()) return true;
    int cancel = 0;
    form->Form_Unload(cancel);
    if (cancel) return false;
    // Form_Unload may itself have unloaded or loaded windows: look again.
    it = std::find_if(r.begin(), r.end(), [form](const auto& kv) { return kv.second == form; });
    if (it != r.end()) r.erase(it);
    form->hide();
    graveyard().push_back(form);
    form->deleteLater();
    if (r.empty() && g_onLastUnloaded) g_onLastUnloaded();
    return true;
}

int loadedCount() {
    return static_cast<int>(registry().size());
}

void setOnLastUnloaded(void (*fn)()) {
    g_onLastUnloaded = fn;
}

void flushDeleted() {
    for (auto& p : graveyard())
        if (p) delete p.data();
    graveyard().clear();
}

}  // namespace Windows

Form::Form(QWidget* parent) : QWidget(parent) {}

Form::~Form() {
    // A window deleted without unloading (e.g. at process end) leaves the registry too.
    auto& r = Windows::registry();
    for (auto it = r.begin(); it != r.end(); ++it)
        if (it->second == this) {
            r.erase(it);
            break;
        }
}

int Form::Height() const {
    return Twips::tw(height() + WindowFrame::Vertical(this));
}
int Form::Width() const {
    return Twips::tw(width() + WindowFrame::Horizontal(this));
}
int Form::Left() const {
    return Twips::tw(frameGeometry().x());
}
int Form::Top() const {
    return Twips::tw(frameGeometry().y());
}

// Before the window is mapped its own frame is unknown; WindowFrame then
// lends it that of a mapped window, so the window opens at its designed size.
void Form::SetHeight(int twips) {
    resize(width(), std::max(0, Twips::px(twips) - WindowFrame::Vertical(this)));
}

void Form::SetWidth(int twips) {
    resize(std::max(0, Twips::px(twips) - WindowFrame::Horizontal(this)), height());
}

void Form::Move(int leftTwips, int topTwips) {
    move(Twips::px(leftTwips), Twips::px(topTwips));
}

void Form::closeEvent(QCloseEvent* e) {
    if (Windows::find(std::type_index(typeid(*this))) != this) {
        e->accept();
        return;
    }
    if (Windows::unload(this))
        e->accept();
    else
        e->ignore();
}

void Form::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Form_Resize();
}
