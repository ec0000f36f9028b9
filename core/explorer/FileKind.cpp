// File kinds: filled in with the model.
