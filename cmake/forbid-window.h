// Forced into every source of the effects: they simulate and synthesise, and
// never draw or touch the window. Any header that declares these stops the
// build there.
#pragma GCC poison RenderTarget RenderWindow RenderTexture Window
