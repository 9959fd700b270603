namespace norvik::platform::win32 {}
