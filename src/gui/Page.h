#pragma once

#include "MessageBoxSink.h"

#include <QHash>
#include <QSize>
#include <QWidget>

#include <string>
#include <vector>

namespace tessary {

// How a control tells its page that it was used.
enum class Notification { Clicked, SelectionChanged, KillFocus };

// One tab page: a form whose controls keep their ids (each control's object name is its id), and
// one command handler that every control of the form feeds. Release cuts the controls off from
// the handler; the main window releases every page before it destroys it.
class Page : public QWidget {
    Q_OBJECT
  public:
    // templateSize: the form's size in dialog units; the page is never smaller.
    Page(QSize templateSize, QWidget* parent);
    ~Page() override;

    // Sets the controls' initial states, once, right after the form has been built.
    virtual void OnInit() = 0;
    // Runs once every page of the window has been built and initialised: the place for work that
    // reaches into the other pages.
    virtual void OnPagesReady() {}
    // A control of this page was used; dispatched on the control's id.
    virtual void OnCommand(int id, Notification code) = 0;

    void Release();

    // The control with this id, or null when the form has none.
    QWidget* Control(int id) const { return controls_.value(id, nullptr); }
    // Every control id of the form, in form order.
    const std::vector<int>& ControlIds() const { return ids_; }

    // The text of an edit field or the selected entry of a combo box (a label's or a button's
    // text otherwise).
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);

    // Where the page's message boxes go: the page's own boxes unless another sink is set.
    MessageSink& Messages() { return sink_ != nullptr ? *sink_ : ownBoxes_; }
    void SetMessageSink(MessageSink* sink) { sink_ = sink; }

    // Keeps a strip of this height clear along the bottom edge, where the status bar lies over
    // the page, and fixes the page's size: its template size, or more when its controls need it,
    // and at least minimumWidth wide.
    void FitSize(int reservedBottom, int minimumWidth);

    // Registers a control built for this page and routes its use to OnCommand.
    void AddControl(int id, QWidget* control);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Dispatch(int id, Notification code);

    QSize templateSize_;
    QHash<int, QWidget*> controls_;
    std::vector<int> ids_;
    MessageBoxSink ownBoxes_;
    MessageSink* sink_ = nullptr;
    bool released_ = false;
};

} // namespace tessary
