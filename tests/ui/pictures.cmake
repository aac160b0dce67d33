# pictures tests.
