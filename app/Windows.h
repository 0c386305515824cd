#pragma once
// Every window class has exactly one instance, created on first reference and
// addressed by its class: Load creates it hidden (running Form_Load), Show
// makes it visible, Unload destroys it. Closing a window by its close box
// unloads it.
#include <QWidget>
#include <typeindex>

class Form : public QWidget {
    Q_OBJECT
  public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // The window's load step, run once by the registry right after creation.
    virtual void Form_Load() {}
    // Set Cancel to non-zero to keep the window loaded.
    virtual void Form_Unload(int& Cancel) { (void)Cancel; }
    virtual void Form_Resize() {}

    // Outer size and position in twips (title bar and frame included).
    int Height() const;
    int Width() const;
    int Left() const;
    int Top() const;
    void SetHeight(int twips);
    void SetWidth(int twips);
    void Move(int leftTwips, int topTwips);

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
};

namespace Windows {

Form* find(std::type_index type);
void add(std::type_index type, Form* form);
// Runs Form_Unload; unless cancelled, forgets the window, hides it and
// deletes it once control returns to the event loop. Returns false if cancelled.
bool unload(Form* form);
int loadedCount();
// Called when the last window is unloaded; by default ends the event loop.
void setOnLastUnloaded(void (*fn)());

template <class T>
T* Find() {
    return static_cast<T*>(find(std::type_index(typeid(T))));
}

template <class T>
bool IsLoaded() {
    return Find<T>() != nullptr;
}

template <class T>
T& Load() {
    if (T* existing = Find<T>()) return *existing;
    T* created = new T();
    add(std::type_index(typeid(T)), created);
    created->Form_Load();
    return *created;
}

// Shows the window without making it modal, bringing an open one forward.
template <class T>
T& Show() {
    T& w = Load<T>();
    w.show();
    w.raise();
    w.activateWindow();
    return w;
}

template <class T>
void Unload() {
    if (T* w = Find<T>()) unload(w);
}

// Deletes windows already unloaded (tests call this instead of running the event loop).
void flushDeleted();

}  // namespace Windows
