# The GUI tests, relative to tests/: the Linux build and the Windows build
# (tests/windows, under Wine) run the same files.
set(quarvel_gui_test_sources
    support/GuiMain.cpp
    support/GuiFixture.cpp
    support/Fakes.cpp
    support/ScriptedInteraction.cpp
    support/WindowWalk.cpp
    app/EditHistoryTest.cpp
    app/KeyboardTest.cpp
    app/ScreenTest.cpp
    app/SheetTest.cpp
    app/RealFilesTest.cpp
    app/SaveGuardTest.cpp
    app/ReviewChangesTest.cpp
    app/SaveAndReloadTest.cpp
    app/KeyFlowTest.cpp
    app/UnshownPagesTest.cpp
    pages/PrinterPageTest.cpp
    pages/PaperPageTest.cpp
    pages/DicomPageTest.cpp
    pages/AdditionalSettingsPageTest.cpp
    pages/PreviewInWindowsTest.cpp
    pages/PagePreviewTest.cpp
    ui/ScreenFitTest.cpp
    ui/StepNamesTest.cpp
    wizard/WizardTest.cpp
)
