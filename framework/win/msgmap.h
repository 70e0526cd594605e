// Message maps: static tables that route a window message or command to a member function.
// A class's table is searched before its base's, so a derived class takes a message over by
// naming it. Each entry carries a small dispatcher made by its macro, so handler signatures are
// checked by the compiler instead of being cast to one generic member-pointer type.
#pragma once

#include "platform/platform.h"

// Matches a WM_COMMAND by id only when it comes from a menu or accelerator or has code 0.
#define AFX_ANY_COMMAND_CODE 0xFFFFFFFFu

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;      // first message of the range handled
  UINT nLastMessage;  // last message of the range (equal to nMessage for one message)
  UINT nCode;         // WM_COMMAND only: notification code
  UINT nID;           // WM_COMMAND only: control or command id
  // Calls the handler on `target` (a pointer to the class's message root, see MsgRoot) and
  // stores the message's result; FALSE means "not handled, go on searching".
  BOOL (*pfnDispatch)(void* target, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for a root class
  const AFX_MSGMAP_ENTRY* lpEntries;     // ended by an entry with a null dispatcher
};

// Finds the entry for a message in `map` and its bases; null if none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, WPARAM wParam,
                                            LPARAM lParam);

#define DECLARE_MESSAGE_MAP()                     \
 protected:                                       \
  static const AFX_MSGMAP* GetThisMessageMap();   \
  virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                            \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }       \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                       \
    typedef theClass ThisClass;                                                           \
    typedef baseClass TheBaseClass;                                                       \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                                 \
  { 0, 0, 0, 0, nullptr }                                                                 \
  };                                                                                      \
  static_cast<void>(sizeof(ThisClass*));                                                  \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                     \
  }

// The object a dispatcher receives is the class's message root (CWnd or CWinApp); the cast
// down to the class that wrote the entry is then a plain single-inheritance static_cast.
#define AFX_MSG_TARGET(p) static_cast<ThisClass*>(static_cast<ThisClass::MsgRoot*>(p))

#define AFX_MSG_ENTRY(msg, body)                                                         \
  {(msg), (msg), 0, 0, [](void* p, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* r) -> BOOL { \
     static_cast<void>(message); static_cast<void>(wParam); static_cast<void>(lParam);  \
     body; return TRUE; }},

#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, AFX_MSG_TARGET(p)->OnPaint(); *r = 0)
#define ON_WM_ERASEBKGND() \
  AFX_MSG_ENTRY(WM_ERASEBKGND, *r = AFX_MSG_TARGET(p)->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam))))
#define ON_WM_QUERYDRAGICON() \
  AFX_MSG_ENTRY(WM_QUERYDRAGICON, *r = reinterpret_cast<LRESULT>(AFX_MSG_TARGET(p)->OnQueryDragIcon()))
#define ON_WM_DROPFILES() \
  AFX_MSG_ENTRY(WM_DROPFILES, AFX_MSG_TARGET(p)->OnDropFiles(reinterpret_cast<HDROP>(wParam)); *r = 0)
#define ON_WM_SYSCOMMAND() \
  AFX_MSG_ENTRY(WM_SYSCOMMAND, AFX_MSG_TARGET(p)->OnSysCommand(UINT(wParam), lParam); *r = 0)
// The seven WM_CTLCOLOR* messages, CTLCOLOR_MSGBOX (0) to CTLCOLOR_STATIC (6) in order.
#define ON_WM_CTLCOLOR()                                                                     \
  {WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0,                                               \
   [](void* p, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* r) -> BOOL {             \
     *r = reinterpret_cast<LRESULT>(AFX_MSG_TARGET(p)->OnCtlColor(                           \
         CDC::FromHandle(reinterpret_cast<HDC>(wParam)), CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
         message - WM_CTLCOLORMSGBOX));                                                      \
     return TRUE; }},

#define AFX_COMMAND_ENTRY(code, id, memberFxn)                                               \
  {WM_COMMAND, WM_COMMAND, (code), UINT(id),                                                 \
   [](void* p, UINT, WPARAM, LPARAM, LRESULT* r) -> BOOL {                                   \
     (AFX_MSG_TARGET(p)->*(memberFxn))(); *r = 0; return TRUE; }},

#define ON_BN_CLICKED(id, memberFxn) AFX_COMMAND_ENTRY(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) AFX_COMMAND_ENTRY(EN_CHANGE, id, memberFxn)
#define ON_COMMAND(id, memberFxn) AFX_COMMAND_ENTRY(AFX_ANY_COMMAND_CODE, id, memberFxn)
// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, memberFxn)                                                           \
  {UINT(msg), UINT(msg), 0, 0, [](void* p, UINT, WPARAM wParam, LPARAM lParam, LRESULT* r) -> BOOL { \
     *r = (AFX_MSG_TARGET(p)->*(memberFxn))(wParam, lParam); return TRUE; }},

#ifndef ID_HELP
#define ID_HELP 0xE146
#endif
