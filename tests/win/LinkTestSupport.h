// Helpers for the player-link tests: a window that answers like the player,
// a counting replacement for the one-second sleep, and a capture of the
// debug log.
#pragma once

#include "link/PlayerLink.h"
#include "link/PlayerMessages.h"
#include "plugin/DebugLog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

#include <functional>
#include <string>

// A window of the player's class in this process: answers IPC_GETVERSION with
// Version and IPC_GETOUTPUTTIME(1) with Length. Gone when the object goes.
class TestPlayerWindow {
 public:
  static inline DWORD Version = 0x5091;
  static inline int Length = 0;

  TestPlayerWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = PLAYER_WINDOW_CLASS;
    RegisterClassA(&wc);
    window_ = CreateWindowA(PLAYER_WINDOW_CLASS, "1. Song - Winamp", WS_OVERLAPPEDWINDOW, 0, 0,
                            100, 100, nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~TestPlayerWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
    UnregisterClassA(PLAYER_WINDOW_CLASS, GetModuleHandleA(nullptr));
  }
  TestPlayerWindow(const TestPlayerWindow&) = delete;
  TestPlayerWindow& operator=(const TestPlayerWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER && lParam == IPC_GETVERSION) return Version;
    if (msg == WM_USER && lParam == IPC_GETOUTPUTTIME && wParam == 1) return Length;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
  HWND window_;
};

// Replaces PlayerSleep for the life of the object: counts the calls and runs
// OnSleep (with the call's number, from 1) instead of sleeping.
class FakeSleep {
 public:
  static inline int Calls = 0;
  static inline std::function<void(int)> OnSleep;

  FakeSleep() {
    Calls = 0;
    OnSleep = nullptr;
    saved_ = PlayerSleep;
    PlayerSleep = &Sleep;
  }
  ~FakeSleep() {
    PlayerSleep = saved_;
    OnSleep = nullptr;
  }
  FakeSleep(const FakeSleep&) = delete;
  FakeSleep& operator=(const FakeSleep&) = delete;

 private:
  static void WINAPI Sleep(DWORD ms) {
    EXPECT_EQ(1000u, ms);
    ++Calls;
    if (OnSleep) OnSleep(Calls);
  }
  void(WINAPI* saved_)(DWORD);
};

// Sends the debug log into a temporary file for the life of the object.
class LogCapture {
 public:
  LogCapture() {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    GetTempFileNameA(dir, "mvl", 0, path_);
    DebugLog.Attach(fopen(path_, "w"));
  }
  ~LogCapture() {
    DebugLog.Close();
    DeleteFileA(path_);
  }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Everything written so far, as it is in the file (text mode: "\n" is CR LF).
  std::string Text() {
    DebugLog << LogFlush;
    std::string text;
    FILE* file = fopen(path_, "rb");
    if (file == nullptr) return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, file)) > 0) text.append(buf, n);
    fclose(file);
    return text;
  }

 private:
  char path_[MAX_PATH];
};
