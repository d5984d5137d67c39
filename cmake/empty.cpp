// Anchor source for libraries made only of component objects.
