// Keeps an area library valid while it has no sources of its own.
