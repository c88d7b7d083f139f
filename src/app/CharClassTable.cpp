// Character classes of every byte value, used by whole-word tests.
