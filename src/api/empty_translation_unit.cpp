// The shared library has no sources of its own: it is the player core linked whole.
