// Anchor of the window library; the windows live beside it.
