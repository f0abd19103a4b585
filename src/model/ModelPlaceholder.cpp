// Replaced as the model units are added.
