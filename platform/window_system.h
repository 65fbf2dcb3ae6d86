// Native windows and controls, as the main window needs them: a fixed-frame top-level window,
// edit boxes, buttons, radio boxes and a group frame, the message loop, the error box, and the
// carrying of a call from any thread over to the main thread. Captions cross as UTF-16; an
// edit box's text crosses as the program holds it, ANSI bytes, in a PlatformText.
// Geometry and font heights are in pixels at 96 dpi (a toolkit's device-independent pixels);
// the backend draws them at the scale of the screen the window is on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A window or control. Owned by the window system; the handle stays valid until the window
// system is stopped, even after its window has been destroyed (then it reads as not alive).
struct PlatformControl;

// An edit box's whole text on its way in or out, held in the form the box takes or gives it,
// so that the code page's one pass over it (and, for a toolkit that needs it, laying it out)
// runs on whichever thread holds the text; only taking it out of a box and setting it into
// one happen on the main thread. Its holder owns it and may be any thread.
struct PlatformText;

// A piece of an edit box's text made ready on one thread (converted, and laid out where the
// toolkit needs that) to be added to its text on another. Its holder owns it.
struct PlatformTextPiece;

enum class ControlKind : int32_t {
  MultiLineEdit,  // no wrap, both scroll bars, sunken border; "\r\n" line breaks in its text
  GroupFrame,     // a frame with a caption line
  PushButton,     // an ordinary push button, never the default button; while it has the
                  // focus it shows so, and Enter presses it as Space does
  AutoRadio,      // a radio box that unchecks its siblings in the same parent when clicked
};

struct WindowSpec {
  std::u16string_view caption;
  // Frame position and outer size (frame and caption included) on the screen.
  int32_t left, top, width, height;
  // A width*height ARGB image (0xAARRGGBB, row by row); null for the toolkit's default.
  const uint32_t* icon;
  int32_t iconWidth, iconHeight;
};

struct ControlSpec {
  ControlKind kind;
  std::u16string_view name;  // shown nowhere; lets tools and tests find the control
  std::u16string_view text;  // caption; an edit box starts empty (see setEditText)
  // Geometry in the parent's client coordinates, used as given even past the parent's edge.
  int32_t left, top, width, height;
};

struct FontSpec {
  std::u16string_view family;  // empty: the default GUI font
  int32_t height;              // logical height; negative is the character height in pixels
  int32_t weight;              // 400 normal, 700 bold
};

using PlatformCall = void (*)(void* context);

// Every operation on a window or control, and runLoop, is for the main thread only; stop with
// callOnMainThread from any other thread. Operations on a destroyed control do nothing and
// read as empty.
struct WindowSystem {
  // Starts the toolkit; the calling thread becomes the main thread. False when it cannot.
  bool (*start)(int* argc, char** argv);
  // Destroys what is left, stops taking calls and shuts the toolkit down. A caller still
  // waiting in callOnMainThread stays blocked; the process is expected to end soon after.
  // Called from inside the running loop it only stops taking calls.
  void (*stop)();
  // True on the thread that started the window system.
  bool (*isMainThread)();

  // Writes the primary screen's size.
  void (*screenSize)(int32_t* width, int32_t* height);
  // Writes the primary screen's work area (the screen less the task bar and panels).
  void (*workArea)(int32_t* left, int32_t* top, int32_t* width, int32_t* height);
  // Writes the largest outer size the system gives a top-level window; a larger one is cut
  // to it. INT32_MAX for a system that cuts none.
  void (*largestWindow)(int32_t* width, int32_t* height);
  // Creates a hidden top-level window with a fixed frame, minimise and close boxes and no
  // maximise box; it keeps its outer size once the window manager's frame is known.
  PlatformControl* (*createWindow)(const WindowSpec& wanted);
  // Creates a hidden child control of parent (a window or a group frame).
  PlatformControl* (*createControl)(PlatformControl* parent, const ControlSpec& wanted);
  // Makes parent the control's parent, keeping its geometry relative to the new parent.
  void (*setParent)(PlatformControl* control, PlatformControl* parent);
  // Destroys a top-level window and its controls.
  void (*destroyWindow)(PlatformControl* window);
  // False once the control, or the window holding it, has been destroyed.
  bool (*isAlive)(PlatformControl* control);

  // Uses the font; a family that does not exist here is mapped to a near equivalent
  // (a CJK fixed-pitch family to one whose CJK advance is exactly two ASCII advances).
  void (*setFont)(PlatformControl* control, const FontSpec& font);
  // Replaces the caption of a window, button, radio box or group frame (not an edit box's text).
  void (*setText)(PlatformControl* control, std::u16string_view text);
  // The caption of a window, button, radio box or group frame; empty for an edit box.
  std::u16string (*text)(PlatformControl* control);

  // An edit box's text is ANSI bytes (code page 936) with "\r\n" between lines, as the
  // program holds it; a lone "\r" or "\n" is text inside its line and reads back as set.
  // Starts an empty text in the edit box's look (font, tab stops), to be filled on any
  // thread and set into that box. Main thread; the caller owns the result, never null.
  PlatformText* (*newEditText)(PlatformControl* editBox);
  // Adds ansi (copied) at the end of text, converted and laid out as its box will show it;
  // what the code page cannot read shows as U+FFFD. A text may be filled in pieces, each but
  // the last ending after a line break, so that no character or "\r\n" is cut. Any thread,
  // one at a time.
  void (*appendEditText)(PlatformText* text, std::string_view ansi);
  // Makes ansi (copied) ready to be added at the end of text by appendEditPiece, as
  // appendEditText would add it, going on from the pieces made ready for text before; pieces
  // end as appendEditText's do. Any thread, one at a time and in the order the pieces are to
  // be added, also while another thread adds earlier ones; not beside appendEditText on the
  // same text. The caller owns the result, never null.
  PlatformTextPiece* (*prepareEditPiece)(PlatformText* text, std::string_view ansi);
  // Adds a piece made ready for text at its end, the pieces in the order they were made, and
  // releases it. Any thread, one at a time.
  void (*appendEditPiece)(PlatformText* text, PlatformTextPiece* piece);
  // Releases a piece that was not added; any thread. Null is ignored.
  void (*releasePiece)(PlatformTextPiece* piece);
  // Replaces the whole text of the box with text, shown from its start, and releases text.
  // Main thread.
  void (*setEditText)(PlatformControl* editBox, PlatformText* text);
  // Takes a copy of the box's whole text as it stands; an empty text for a control that is
  // not an alive edit box. Main thread; the caller owns the result, never null.
  PlatformText* (*takeEditText)(PlatformControl* editBox);
  // The ANSI bytes of a taken text, "\r\n" between lines; what the code page lacks becomes
  // "?". Any thread; the text is left empty.
  std::string (*ansiText)(PlatformText* text);
  // Cuts a taken text after a line break near its middle and returns the second part as a
  // text of its own, so that two threads can convert the parts; ansiText of this text and
  // then of the part gives ansiText of the whole. Null, leaving the text whole, where a cut
  // would not pay (a short text, or one whose bytes are there already). Any thread.
  PlatformText* (*splitEditText)(PlatformText* text);
  // Releases a text that was not set; any thread. Null is ignored.
  void (*releaseText)(PlatformText* text);
  void (*setChecked)(PlatformControl* control, bool checked);
  bool (*isChecked)(PlatformControl* control);
  void (*setEnabled)(PlatformControl* control, bool enabled);
  // Whether the Tab key stops at the control.
  void (*setTabStop)(PlatformControl* control, bool tabStop);
  // Gives the control the keyboard focus of its window, now or when the window is next made
  // active; the window gives it back to the control that had it whenever it is reactivated.
  void (*setFocus)(PlatformControl* control);
  // Makes Ctrl+Enter (either Enter key) in the edit box click button, the focus staying in
  // the box; a null button gives the keys back to the box.
  void (*setCtrlEnterClick)(PlatformControl* editBox, PlatformControl* button);
  void (*setVisible)(PlatformControl* control, bool visible);
  // Puts control directly behind sibling in the stacking order; a null sibling puts it in front.
  void (*placeBehind)(PlatformControl* control, PlatformControl* sibling);
  // Calls handler(context) on the main thread each time the button is clicked.
  void (*setClickHandler)(PlatformControl* button, PlatformCall handler, void* context);
  // Shows the busy-in-background pointer over the top-level window and all its controls
  // while busy, and their usual pointers again after; the window stays usable throughout.
  void (*setBusyPointer)(PlatformControl* window, bool busy);

  // Runs the message loop until the last top-level window is destroyed; returns 0 at once
  // when there is none. From the moment the loop ends, callOnMainThread refuses every call.
  int32_t (*runLoop)();
  // Shows a modal box with an error icon and an OK button, owned by no window, and returns
  // when it is closed.
  void (*showErrorBox)(std::u16string_view caption, std::u16string_view text);

  // Runs call(context) on the main thread and returns once it has run (at once when called on
  // the main thread). False, without running it, once the window system takes no more calls.
  bool (*callOnMainThread)(PlatformCall call, void* context);
};

// The backend chosen at build time.
const WindowSystem& platformWindowSystem();
