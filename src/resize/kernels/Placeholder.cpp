namespace tesmaro { void resizeKernelsPlaceholder() {} }
