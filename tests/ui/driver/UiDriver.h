// The end-to-end UI driver: scenario programs (GoogleTest executables running under Wine) start
// a Windows program, watch and drive its dialogs from outside as a user would, answer its
// message boxes, and look at what it left in the registry and on disk.
//
//   Process        (Process.h)      the program under test, killed when the scenario ends;
//                                   finds its dialogs, answers and records its message boxes
//   Window         (Window.h)       texts, visibility, state, rectangles, styles, icons;
//                                   clicks and keys (posted, so a modal box never blocks)
//   TreeView       (TreeView.h)     a tree-view control read and driven across processes
//   Screen.h                        captures, BMP screenshots, icon matching
//   MachineState.h                  registry, files, Windows version per program, drive letters
//                                   and drive types (with the Wine facts behind them)
//   Wait.h                          ui::Failure, ui::WaitUntil, the default timeout
//
// Writing a scenario
//
// Each scenario is an ordinary TEST that first puts the registry and the disk into the state it
// needs, then starts the program. Queue the answers to the message boxes that the scenario
// expects before the action that raises them. Every driver call that fails throws ui::Failure
// (GoogleTest reports it with the scenario's line); every box nobody expected fails the test.
//
//   TEST(Install, ReinstallDeclinedEndsTheInstaller) {
//       ui::ScratchFolder folder;
//       ui::SetRegistryString(HKEY_LOCAL_MACHINE, kAppPathKey, "Path", folder.Path());
//       ui::Process setup(InstallerPath(), "", folder.Path(), {IDNO}); // answers at start-up
//       setup.WaitForExit();
//       const ui::MessageBoxRecord box = setup.WaitForMessageBox();
//       EXPECT_EQ(box.caption, "krzsetup");
//       EXPECT_EQ(box.text, "A previous installation of KRZ found\r\nReinstall?");
//       EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation);
//       EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));
//       EXPECT_FALSE(box.ownerVisible); // asked before the dialog was shown
//   }
//
//   TEST(Install, EnterInThePathEditInstalls) {
//       ui::Process setup(InstallerPath());
//       const ui::Window dialog = setup.WaitForDialog("Setup Quorbelix");
//       const ui::Window edit = dialog.Item(1001);
//       edit.SetText(target);
//       edit.MouseClick();                          // the user clicks into the edit...
//       ASSERT_TRUE(ui::WaitUntil([&] { return dialog.Focus() == edit; }));
//       dialog.PressKey(VK_RETURN);                 // ...and presses Enter there
//       dialog.Item(2).WaitForText("Close");
//       EXPECT_FALSE(dialog.Item(1).Visible());
//       dialog.Item(2).Click();
//       setup.WaitForExit();
//   }
//
//   Select Path:  dialog.Item(1000).Click();
//                 ui::Window pick = setup.WaitForDialog("Setup Folder");
//                 ui::TreeView tree(pick.Item(1013));
//                 HTREEITEM item = tree.Get("C:\\Program Files");
//                 EXPECT_EQ(tree.Read(item).image, 1);
//                 EXPECT_TRUE(tree.InView(tree.Selection()));
//
//   Another machine:  ui::ScopedWindowsVersion old("krzsetup.exe", "win98");   // platform 1
//                     ui::ScopedWineDrive floppy('A', "/nonexistent", DRIVE_REMOVABLE); // no disk
//                     ui::ScopedWineDrive cd('E', ui::HostPath(folder.Path()), DRIVE_CDROM);
//
// Building a scenario program (in its tests/<area>/CMakeLists.txt, Windows build):
//
//   add_executable(setup_scenarios SetupScenarioTest.cpp)
//   target_link_libraries(setup_scenarios PRIVATE krz_uidriver gtest_main)
//   krz_warnings(setup_scenarios)
//   add_test(NAME setup_scenarios COMMAND setup_scenarios)
//   # only if it needs a disk that fills up (ui::TinyDiskHostFolder):
//   set_tests_properties(setup_scenarios PROPERTIES FIXTURES_REQUIRED ui_tiny_disk
//                        ENVIRONMENT KRZ_TINY_DISK=${CMAKE_BINARY_DIR}/tiny-disk)
//
// Things to know
//
// - Posted input takes effect later: after Click or PressKey wait for its effect (WaitForText,
//   WaitForDialog, WaitForMessageBox, WaitForExit, ui::WaitUntil), never sleep.
// - TreeView::Expand (TVM_EXPAND) notifies the dialog only the first time an item expands;
//   ClickButton expands and collapses as a user does, notifying every time.
// - Message box icons are told from the screen: keep the box's area uncovered (one program
//   under test at a time, no other windows on the virtual display).
// - The test program and the program under test must have the same bitness (the tree-view
//   structures are copied between them as they are).
// - A program started through ui::Process gets unmanaged windows (see Process.h); otherwise
//   each top-level window that closes, the program's last included, costs 2 s under Wine here.
// - The tree control selects its first item by itself when it gets the focus with nothing
//   selected (Wine), so a selection handler may already have run when a dialog appears.
// - An edit created with WS_BORDER shows WS_EX_CLIENTEDGE instead (the control's own doing).
// - Windows tests share one Wine prefix: restore what a scenario changed (the Scoped... classes
//   do), and run scenario programs one at a time.
#pragma once

#include "MachineState.h"
#include "MessageBox.h"
#include "Process.h"
#include "RemoteMemory.h"
#include "Screen.h"
#include "ShortcutReader.h"
#include "TreeView.h"
#include "Wait.h"
#include "Window.h"
