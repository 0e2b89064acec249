// The dialogs of Quorvel.exe. One thread: the messages window is modeless
// and lives while an action runs; pumpMessages keeps it responsive.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "platform/import_options_form.h"
#include "platform/win32_dialog_ids.h"
#include "platform/win32_user_interface.h"

namespace quorvel {

namespace {

constexpr char kMessagesTitle[] = "Quorvel v0.1";

// The Import Options edits in the order the form reads them: x, y, z, scale.
constexpr int kImportOptionsEdits[] = {IDC_OFFSET_X, IDC_OFFSET_Y, IDC_OFFSET_Z, IDC_SCALE};

// The check boxes of the form must be the ones of the dialog template.
static_assert(kImportCheckBoxes[0].control == IDC_USE_EXT_IMPORT_SCALE);
static_assert(kImportCheckBoxes[1].control == IDC_ADD_EXT_IMPORT_SCALE);
static_assert(kImportCheckBoxes[2].control == IDC_REPLACE_MESHES);
static_assert(kImportCheckBoxes[3].control == IDC_REPLACE_INSTANCES);
static_assert(kImportCheckBoxes[4].control == IDC_NORMALIZE_TEXTURE_NAMES);

HINSTANCE programInstance() { return GetModuleHandleA(nullptr); }

std::string dialogItemText(HWND dialog, int id, size_t maxLength) {
  std::vector<char> buffer(maxLength + 1, '\0');
  GetDlgItemTextA(dialog, id, buffer.data(), static_cast<int>(buffer.size()));
  return buffer.data();
}

// Mirrors `this` of the dialog into its window data on WM_INITDIALOG and
// returns it for every later message.
template <typename T>
T* dialogOwner(HWND dialog, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<T*>(lParam);
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

class Win32UserInterface final : public UserInterface {
 public:
  Win32UserInterface() = default;

  ~Win32UserInterface() override {
    closeMessagesWindow();
    if (richEdit_) FreeLibrary(richEdit_);
  }

  ActionChoice chooseAction(bool verbose) override {
    choice_ = ActionChoice{};
    choice_.verbose = verbose;
    INT_PTR result = DialogBoxParamA(programInstance(), MAKEINTRESOURCEA(IDD_ACTION), nullptr,
                                     &Win32UserInterface::actionProc,
                                     reinterpret_cast<LPARAM>(this));
    if (result <= 0) {  // the dialog could not be shown: leave
      choice_.code = kActionExit;
      choice_.verboseChosen = false;
    }
    return choice_;
  }

  void openMessagesWindow() override {
    closeMessagesWindow();
    closed_ = false;
    // The "RICHEDIT" window class comes from this library.
    if (!richEdit_) richEdit_ = LoadLibraryA("RichEd32.dll");
    messagesWindow_ = CreateDialogParamA(programInstance(), MAKEINTRESOURCEA(IDD_MESSAGES),
                                         nullptr, &Win32UserInterface::messagesProc,
                                         reinterpret_cast<LPARAM>(this));
    if (!messagesWindow_) return;
    ShowWindow(messagesWindow_, SW_SHOW);
    UpdateWindow(messagesWindow_);
    pumpMessages();
  }

  void enableClose() override {
    if (!messagesWindow_) return;
    HWND close = GetDlgItem(messagesWindow_, IDOK);
    EnableWindow(close, TRUE);
    SetFocus(close);
  }

  void waitForClose() override {
    while (messagesWindow_ && !closed_) {
      if (!pumpMessages()) break;
      if (closed_ || !messagesWindow_) break;
      WaitMessage();
    }
  }

  void closeMessagesWindow() override {
    if (messagesWindow_) {
      rememberPosition(messagesWindow_, Window::MessagesWindow);
      DestroyWindow(messagesWindow_);
    }
    messagesWindow_ = nullptr;
  }

  void setWindowPosition(Window window, const std::optional<WindowPosition>& position) override {
    stored_[index(window)] = position;
  }

  std::optional<WindowPosition> windowPosition(Window window) const override {
    return last_[index(window)];
  }

  void appendMessagesText(std::string_view windowText) override {
    if (!messagesWindow_) return;
    HWND edit = GetDlgItem(messagesWindow_, IDC_MESSAGES_TEXT);
    if (!edit) return;
    const std::string text(windowText);

    CHARRANGE oldSelection{};
    SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&oldSelection));
    const LRESULT firstVisible = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    const LONG oldLength = static_cast<LONG>(GetWindowTextLengthA(edit));

    CHARRANGE atEnd{oldLength, oldLength};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&atEnd));
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));

    if (oldSelection.cpMax >= oldLength) {
      // The caret was at the end: follow the newest output.
      const LONG newLength = static_cast<LONG>(GetWindowTextLengthA(edit));
      CHARRANGE newEnd{newLength, newLength};
      SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&newEnd));
      SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    } else {
      // The user is reading earlier output: give back the selection and the
      // view.
      SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&oldSelection));
      const LRESULT nowVisible = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
      SendMessageA(edit, EM_LINESCROLL, 0, firstVisible - nowVisible);
    }
  }

  bool pumpMessages() override {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        closed_ = true;
        return false;
      }
      if (messagesWindow_ && IsDialogMessageA(messagesWindow_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return true;
  }

  Answer messageBox(const MessageBoxRequest& request) override {
    UINT type = MB_OK;
    if (request.buttons == Buttons::OkCancel) type = MB_OKCANCEL;
    if (request.buttons == Buttons::YesNo) type = MB_YESNO;
    if (request.defaultButton == 1) type |= MB_DEFBUTTON2;
    HWND owner = ownerWindow(request.owner);
    if (!owner) type |= MB_TASKMODAL;
    switch (MessageBoxA(owner, request.text.c_str(), request.caption.c_str(), type)) {
      case IDOK: return Answer::Ok;
      case IDYES: return Answer::Yes;
      case IDNO: return Answer::No;
      default: return Answer::Cancel;
    }
  }

  std::optional<std::string> openFile(const OpenFileRequest& request) override {
    const size_t capacity = std::max<size_t>(request.maxLength, 2);
    std::string filter = request.filterName;
    filter += '\0';
    filter += request.filterPattern;
    filter += '\0';  // the list ends with a second terminator (c_str adds it)

    for (int attempt = 0; attempt < 2; ++attempt) {
      std::vector<char> file(capacity, '\0');
      // A preset name that the dialog refuses (too long or with characters
      // a file name cannot have) would keep it from opening: then it opens
      // without one.
      if (attempt == 0) std::strncpy(file.data(), request.initialFile.c_str(), capacity - 1);

      OPENFILENAMEA dialog{};
      dialog.lStructSize = sizeof dialog;
      dialog.hwndOwner = ownerWindow(request.owner);
      dialog.lpstrFilter = filter.c_str();
      dialog.nFilterIndex = 1;
      dialog.lpstrFile = file.data();
      dialog.nMaxFile = static_cast<DWORD>(capacity);
      dialog.lpstrInitialDir =
          request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
      dialog.lpstrTitle = request.title.c_str();
      // The program folder is the working directory: the dialog must not
      // move it.
      dialog.Flags = OFN_NOCHANGEDIR | OFN_EXPLORER;
      if (request.pathMustExist) dialog.Flags |= OFN_PATHMUSTEXIST;
      if (request.fileMustExist) dialog.Flags |= OFN_FILEMUSTEXIST;
      if (request.hideReadOnly) dialog.Flags |= OFN_HIDEREADONLY;

      if (GetOpenFileNameA(&dialog)) {
        if (file[0] == '\0') return std::nullopt;
        return std::string(file.data());
      }
      if (CommDlgExtendedError() != FNERR_INVALIDFILENAME || request.initialFile.empty())
        return std::nullopt;
    }
    return std::nullopt;
  }

  std::string askString(const std::string& prompt, const std::string& answer) override {
    prompt_ = prompt;
    answer_ = answer;
    entered_.clear();
    DialogBoxParamA(programInstance(), MAKEINTRESOURCEA(IDD_ASK_STRING),
                    ownerWindow(Owner::MessagesWindow), &Win32UserInterface::askStringProc,
                    reinterpret_cast<LPARAM>(this));
    return entered_;
  }

  bool editImportOptions(ImportOptions& options) override {
    options_ = &options;
    INT_PTR result = DialogBoxParamA(
        programInstance(), MAKEINTRESOURCEA(IDD_IMPORT_OPTIONS),
        ownerWindow(Owner::MessagesWindow), &Win32UserInterface::importOptionsProc,
        reinterpret_cast<LPARAM>(this));
    options_ = nullptr;
    return result == IDOK;
  }

 private:
  HWND ownerWindow(Owner owner) const {
    switch (owner) {
      case Owner::MessagesWindow: return messagesWindow_;
      case Owner::ActiveDialog: return activeDialog_ ? activeDialog_ : messagesWindow_;
      case Owner::None: break;
    }
    return nullptr;
  }

  static size_t index(Window window) { return window == Window::ActionDialog ? 0 : 1; }

  // Moves the window to its stored top-left corner, unless nothing is stored
  // or the place lies wholly outside the screens of this session (a monitor
  // that is gone would otherwise hide the window). The size stays that of
  // the template.
  void placeWindow(HWND window, Window which) {
    const std::optional<WindowPosition>& stored = stored_[index(which)];
    if (!stored) return;
    const LONG left = stored->left, top = stored->top;
    RECT now;
    GetWindowRect(window, &now);
    RECT placed{left, top, left + (now.right - now.left), top + (now.bottom - now.top)};
    RECT screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT visible;
    if (!IntersectRect(&visible, &placed, &screen)) return;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  void rememberPosition(HWND window, Window which) {
    RECT rect;
    if (GetWindowRect(window, &rect)) last_[index(which)] = WindowPosition{rect.left, rect.top};
  }

  static INT_PTR CALLBACK actionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32UserInterface* self = dialogOwner<Win32UserInterface>(dialog, message, lParam);
    if (!self) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        self->placeWindow(dialog, Window::ActionDialog);
        CheckDlgButton(dialog, IDC_VERBOSE, self->choice_.verbose ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
      case WM_COMMAND:
        switch (LOWORD(wParam)) {
          case IDC_IMPORT_FILE:
          case IDC_IMPORT_DIRECTORY:
          case IDC_UPDATE_SWP:
          case IDC_RENAME_LEVEL:
          case IDC_VERIFY_LEVEL:
          case IDC_EXTRACT_MODEL:
          case IDCANCEL:
            self->choice_.code = LOWORD(wParam);
            self->choice_.verbose = IsDlgButtonChecked(dialog, IDC_VERBOSE) == BST_CHECKED;
            self->choice_.verboseChosen = true;
            self->rememberPosition(dialog, Window::ActionDialog);
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
      case WM_CLOSE:  // the system menu: leave without touching the verbose setting
        self->choice_.code = kActionExit;
        self->choice_.verboseChosen = false;
        self->rememberPosition(dialog, Window::ActionDialog);
        EndDialog(dialog, kActionExit);
        return TRUE;
    }
    return FALSE;
  }

  // The Close button, Escape and the close box all end up here; until the
  // action has ended the Close button is disabled and they do nothing.
  void closeRequestedByUser(HWND dialog) {
    if (!IsWindowEnabled(GetDlgItem(dialog, IDOK))) return;
    closed_ = true;
    rememberPosition(dialog, Window::MessagesWindow);
    DestroyWindow(dialog);
  }

  static INT_PTR CALLBACK messagesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32UserInterface* self = dialogOwner<Win32UserInterface>(dialog, message, lParam);
    if (!self) return FALSE;
    switch (message) {
      case WM_INITDIALOG: {
        SetWindowTextA(dialog, kMessagesTitle);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        // A rich-edit control holds 32 KB of text unless told otherwise; a
        // long report must not be cut.
        SendDlgItemMessageA(dialog, IDC_MESSAGES_TEXT, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
        self->placeWindow(dialog, Window::MessagesWindow);
        return TRUE;
      }
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
          self->closeRequestedByUser(dialog);
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        self->closeRequestedByUser(dialog);
        return TRUE;
      case WM_DESTROY:
        if (self->messagesWindow_ == dialog) self->messagesWindow_ = nullptr;
        return FALSE;
    }
    return FALSE;
  }

  static INT_PTR CALLBACK askStringProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32UserInterface* self = dialogOwner<Win32UserInterface>(dialog, message, lParam);
    if (!self) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_ASK_PROMPT, self->prompt_.c_str());
        SendDlgItemMessageA(dialog, IDC_ASK_ANSWER, EM_LIMITTEXT, 255, 0);
        SetDlgItemTextA(dialog, IDC_ASK_ANSWER, self->answer_.c_str());
        self->activeDialog_ = dialog;
        return TRUE;
      case WM_COMMAND:
        // OK is the only way out: Escape and the like are ignored.
        if (LOWORD(wParam) == IDOK) {
          self->entered_ = dialogItemText(dialog, IDC_ASK_ANSWER, 255);
          self->activeDialog_ = nullptr;
          EndDialog(dialog, IDOK);
        }
        return TRUE;
      case WM_CLOSE:
        return TRUE;
    }
    return FALSE;
  }

  static INT_PTR CALLBACK importOptionsProc(HWND dialog, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    Win32UserInterface* self = dialogOwner<Win32UserInterface>(dialog, message, lParam);
    if (!self || !self->options_) return FALSE;
    ImportOptions& options = *self->options_;
    switch (message) {
      case WM_INITDIALOG: {
        const ImportOptionsForm form = importOptionsForm(options);
        const std::string* texts[] = {&form.x, &form.y, &form.z, &form.scale};
        for (size_t i = 0; i < std::size(kImportOptionsEdits); ++i)
          SetDlgItemTextA(dialog, kImportOptionsEdits[i], texts[i]->c_str());
        for (size_t i = 0; i < kImportCheckBoxes.size(); ++i)
          CheckDlgButton(dialog, kImportCheckBoxes[i].control, form.boxes[i] ? BST_CHECKED : BST_UNCHECKED);
        self->activeDialog_ = dialog;
        return TRUE;
      }
      case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
          ImportOptionsForm form;
          std::string* texts[] = {&form.x, &form.y, &form.z, &form.scale};
          for (size_t i = 0; i < std::size(kImportOptionsEdits); ++i)
            *texts[i] = dialogItemText(dialog, kImportOptionsEdits[i], 255);
          for (size_t i = 0; i < kImportCheckBoxes.size(); ++i)
            form.boxes[i] = IsDlgButtonChecked(dialog, kImportCheckBoxes[i].control) == BST_CHECKED;
          size_t badEdit = 0;
          if (!acceptImportOptionsForm(options, form, &badEdit)) {
            MessageBoxA(dialog, "Please enter numeric values", "Quorvel", MB_OK);
            SetFocus(GetDlgItem(dialog, kImportOptionsEdits[badEdit]));
            return TRUE;
          }
          self->activeDialog_ = nullptr;
          EndDialog(dialog, IDOK);
          return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
          self->activeDialog_ = nullptr;
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        return FALSE;
    }
    return FALSE;
  }

  std::optional<WindowPosition> stored_[2];
  std::optional<WindowPosition> last_[2];
  HMODULE richEdit_ = nullptr;
  HWND messagesWindow_ = nullptr;
  HWND activeDialog_ = nullptr;
  bool closed_ = false;

  ActionChoice choice_;
  std::string prompt_;
  std::string answer_;
  std::string entered_;
  ImportOptions* options_ = nullptr;
};

}  // namespace

std::unique_ptr<UserInterface> makeWin32UserInterface() {
  return std::make_unique<Win32UserInterface>();
}

}  // namespace quorvel
