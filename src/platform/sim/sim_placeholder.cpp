namespace norvik::platform::sim {}
